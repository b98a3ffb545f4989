#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "linalg/Matrix.hpp"
#include "net/NeuroNet.hpp"

class PageFrame;

// The page's hold on a run while it trains: between two steps it now and then yields to the
// page, so that the page's messages reach the worker, and it holds the run where the page asks
// (a step, or the next one, to pause), until the page lets it go on. At a held step, and at
// the last, the page is sent the step's every number and its picture, which shows the weights
// of that step. The run's text is what it would be without any of this.
class PageSession {
  public:
    // `holdAt`: the step at which the run is first held; 0 for none.
    PageSession(PageFrame& frame, std::int32_t holdAt) : frame_(frame), holdAt_(holdAt) {}

    // Watches the network's training, after whatever already watches it.
    void watch(NeuroNet& net);
    // Tells the page the target, as read, and hears where training is to be held first.
    void targetRead(const Vector& D);

  private:
    void begun(const NeuroNet& net, double eta, double alpha, double Emax);
    void stepEnded(const NeuroNet::StepRecord& r);
    // Holds the run at this step until the page says how to go on.
    void hold(const NeuroNet::StepRecord& r);
    // The weights the step to be held starts from.
    void keepBefore(std::span<const Matrix> weights);
    // What the page answers: `keep` keeps the hold where it is, `next` holds at the next
    // step, 0 holds nowhere, k at step k.
    static constexpr int keep = -2;
    static constexpr int next = -1;
    void follow(int command, std::int32_t step);
    // The step's numbers as a line of its trace, with the weights before its update and the
    // previous step's changes, which explain it.
    std::string stepLine(const NeuroNet::StepRecord& r, bool explained) const;
    // Sends the step's numbers and its picture; holds the run there unless told not to.
    int show(const NeuroNet::StepRecord& r, bool holding);

    PageFrame& frame_;
    std::int32_t holdAt_;
    // The weights the held step starts from: those after the step before it.
    std::vector<Matrix> before_;
    unsigned steps_ = 0;
    double yieldDue_ = 0;
};
