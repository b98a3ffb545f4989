#pragma once

#include <ostream>
#include <string>

#include "plot/SvgWriter.hpp"
#include "plot/Transcript.hpp"

// The picture of one run: the network with its initial weights, the error of every step
// on a logarithmic axis, and every output closing in on its target.
class Picture {
  public:
    explicit Picture(const Transcript& run) : run_(run) {}
    void write(std::ostream& out) const;

    static constexpr double width = 960;
    static constexpr double height = 1220;

  private:
    // "3-1-3-9-3": the neuron count of every layer.
    std::string layerSizes() const;
    void drawNetwork(SvgWriter& svg) const;
    void drawErrors(SvgWriter& svg) const;
    void drawOutputs(SvgWriter& svg) const;

    const Transcript& run_;
};
