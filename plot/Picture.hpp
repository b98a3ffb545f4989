#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "plot/StepView.hpp"
#include "plot/SvgWriter.hpp"
#include "transcript/Transcript.hpp"

// The picture of one run: the network with its initial weights, the error of every step
// on a logarithmic axis, and every output closing in on its target. A run still being
// read is drawn as far as it goes: the network once it is known, the steps so far. Given a
// step's view, the network is drawn as it stands after that step instead.
class Picture {
  public:
    // `step`, when given, must outlive the picture, as `run` must. Text is drawn at least
    // `leastTextSize` large: larger than its own for a picture shown far off.
    explicit Picture(const Transcript& run, const StepView* step = nullptr,
                     double leastTextSize = 0);
    void write(std::ostream& out) const;
    // The picture's title: the network's layer sizes and how far training has come.
    std::string title() const;

    static constexpr double width = 960;
    static constexpr double height = 1345;

    // Where the network panel draws the centre of neuron `neuron` of layer `layer` (0 the
    // input, and one of `layerSizes`) of a network with these layer sizes.
    static SvgWriter::Point neuronCentre(const std::vector<std::int32_t>& layerSizes,
                                         std::size_t layer, std::size_t neuron);

  private:
    // "3-1-3-9-3": the neuron count of every layer.
    std::string layerSizes() const;
    void drawNetwork(SvgWriter& svg) const;
    void drawInitialConnections(SvgWriter& svg) const;
    void drawStepConnections(SvgWriter& svg) const;
    void drawNeurons(SvgWriter& svg) const;
    void drawInitialLegend(SvgWriter& svg) const;
    void drawStepLegend(SvgWriter& svg) const;
    void drawErrors(SvgWriter& svg) const;
    // What the error panel says below its chart: the first and the last error, and why
    // training stopped.
    void summarizeErrors(SvgWriter& svg, double top, const std::string& colour) const;
    void drawOutputs(SvgWriter& svg) const;
    void drawOutputLegend(SvgWriter& svg, double top, double low, double high) const;
    // The program's own error at the step shown, on the chart and in words.
    void markStepError(SvgWriter& svg, double x, double y, bool onScale) const;

    const Transcript& run_;
    const StepView* step_;
    double leastTextSize_;
    // The largest finite size of a change in the step, or 0.
    double largestChange_ = 0;
    // The error of every step kept, from the figures of its output and of the target;
    // empty while the target is not known.
    std::vector<double> errors_;
};
