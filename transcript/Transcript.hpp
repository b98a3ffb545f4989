#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "transcript/Contract.hpp"

// One run of neuronet as its transcript prints it, as a reader sees it: every number
// has the few digits the transcript gives it. While the transcript is still being read,
// it holds the run so far: nothing, the network, then the steps, then the report.
struct Transcript {
    // One training step's output, and its number from 1.
    struct Step {
        std::int64_t number;
        std::array<double, Contract::widestLayer> output;
    };

    // The neuron count of the output layer, once the network is known.
    std::size_t outputCount() const { return static_cast<std::size_t>(layerSizes.back()); }

    std::vector<double> input;
    // The neuron counts of the input and of the four computed layers.
    std::vector<std::int32_t> layerSizes;
    // The initial weights: weights[g][i][j] joins neuron i of layer g to neuron j of the
    // next layer.
    std::vector<std::vector<std::vector<double>>> weights;
    // Whether all four weight matrices and the first output have been read.
    bool networkKnown = false;

    // The target, as the report prints it; its owner may know it before the report.
    std::vector<double> target;
    bool targetKnown = false;

    // Every step's output, or, for a long run, an even selection that keeps the first
    // and the last.
    std::vector<Step> steps;
    std::int64_t stepCount = 0;
    // Whether training has ended: the report has begun.
    bool trainingOver = false;
    // Why training stopped before meeting its limit; empty when it met it.
    std::string stopReason;

    // The report's error E as it prints it, once the report has come to it.
    std::string reportedError;
    // Whether the transcript has been read whole.
    bool whole = false;
};
