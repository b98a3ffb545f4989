#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a picture shows of one run of neuronet, as its transcript prints it: every number
// has the few digits the transcript gives it.
struct Transcript {
    // One training step's output, and its number from 1.
    struct Step {
        std::int64_t number;
        std::vector<double> output;
    };

    std::vector<double> input;
    // The neuron counts of the input and of the four computed layers.
    std::vector<std::int32_t> layerSizes;
    // The initial weights: weights[g][i][j] joins neuron i of layer g to neuron j of the
    // next layer.
    std::vector<std::vector<std::vector<double>>> weights;
    std::vector<double> target;
    // Every step's output, or, for a long run, an even selection that keeps the first
    // and the last.
    std::vector<Step> steps;
    std::int64_t stepCount = 0;
    // Why training stopped before meeting its limit; empty when it met it.
    std::string stopReason;
};
