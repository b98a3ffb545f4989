#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"
#include "net/NeuroNet.hpp"

class PageFrame;

// The page's hold on a run while it trains. Between steps it now and then yields, so that the
// page's messages reach the worker, and it holds the run where the page asks, until the page
// lets it go on. A held step, and the last, are sent with every number the page shows and the
// picture at that step. Every so many steps, training's state is handed to the worker, which
// keeps it; a later run of the same answers resumes from the latest such checkpoint before
// the step it goes to. The run's text is what it would be without any of this.
class PageSession {
  public:
    struct Holds {
        // The step at which the run is first held; 0 for none.
        std::int32_t first = 0;
        // The step the run ends at when it was stopped there; 0 when it was not.
        std::int32_t end = 0;
        // The step after which checkpoints are wanted.
        std::int32_t checkpointsAfter = 0;
    };
    PageSession(PageFrame& frame, Holds holds);

    // Watches the network's training, after whatever already watches it.
    void watch(NeuroNet& net);
    // Keeps the target, as read, for the steps' texts; resumes from the checkpoint the worker
    // offers, if any; and hears where training is to be held first.
    void targetRead(const Vector& D);

    // How many steps lie between two checkpoints.
    static constexpr std::int32_t checkpointEvery = 4096;
    // Training goes at most this many steps a second, yielding after every step; 0 for as
    // fast as it can.
    static void setPace(double stepsPerSecond) { pace_ = stepsPerSecond; }

  private:
    void begun(double eta, double alpha);
    void stepEnded(const NeuroNet::StepRecord& r);
    // Resumes from the checkpoint the worker offers, if any, and keeps the weights training
    // goes on from; returns the step resumed after, or 0.
    std::int32_t resumeIfOffered();
    void checkpoint(const NeuroNet::StepRecord& r);
    // Keeps the weights step `step` starts from.
    void keepBefore(std::span<const Matrix> weights, std::int32_t step);
    // Takes the page's word: where to hold next (PageSeam::Hold).
    void follow(int command, std::int32_t step);
    // How a step is shown: held there; glimpsed on the way, at a pace; or the run's last.
    enum class Showing { held, glimpsed, last };
    // Sends the step's numbers, and its picture unless it is the last, which the run's end
    // draws; held, waits for the page's word.
    int show(const NeuroNet::StepRecord& r, Showing how);

    PageFrame& frame_;
    NeuroNet* net_ = nullptr;
    std::int32_t holdAt_;
    std::int32_t end_;
    std::int32_t lastCheckpoint_;
    double eta_ = 0;
    double alpha_ = 0;
    Vector D_;
    // The weights the step to be held starts from: those after the step before it.
    std::vector<Matrix> before_;
    std::int32_t beforeStep_ = 0;
    static double pace_;
    std::optional<double> previousE_;
    unsigned steps_ = 0;
    double yieldDue_ = 0;
};
