#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// The network as it stands after a training step: its weights after the step's update, and the
// step's changes.
struct StepView {
    std::int64_t step = 0;
    // weights[g][i][j], changes[g][i][j]: shaped as Transcript::weights (g = 0..3, i a neuron
    // of the layer before, j of layer g+1)
    std::vector<std::vector<std::vector<double>>> weights, changes;
    // The step's error E, exactly as the program computed it, when known.
    std::optional<double> E = std::nullopt;
};
