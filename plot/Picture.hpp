#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "plot/SvgWriter.hpp"
#include "transcript/Transcript.hpp"

// The picture of one run: the network with its initial weights, the error of every step
// on a logarithmic axis, and every output closing in on its target. A run still being
// read is drawn as far as it goes: the network once it is known, the steps so far.
class Picture {
  public:
    explicit Picture(const Transcript& run);
    void write(std::ostream& out) const;
    // The picture's title: the network's layer sizes and how far training has come.
    std::string title() const;

    static constexpr double width = 960;
    static constexpr double height = 1345;

  private:
    // "3-1-3-9-3": the neuron count of every layer.
    std::string layerSizes() const;
    void drawNetwork(SvgWriter& svg) const;
    void drawErrors(SvgWriter& svg) const;
    // What the error panel says below its chart: the first and the last error, and why
    // training stopped.
    void summarizeErrors(SvgWriter& svg, double top, const std::string& colour) const;
    void drawOutputs(SvgWriter& svg) const;
    void drawOutputLegend(SvgWriter& svg, double top, double low, double high) const;

    const Transcript& run_;
    // The error of every step kept, from the figures of its output and of the target;
    // empty while the target is not known.
    std::vector<double> errors_;
};
