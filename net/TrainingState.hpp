#pragma once

#include <cstdint>
#include <vector>

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"

// What training carries from one step to the next, as it stands after a step: training can go
// on from it as if every step before had been made again.
struct TrainingState {
    // The step made last, from 1.
    std::int32_t step = 0;
    // Every weight matrix after that step's update, and that step's changes, a share of which
    // the next step carries over.
    std::vector<Matrix> weights;
    std::vector<Matrix> changes;
    // Step 1's output, which the report prints again.
    Vector firstOutput;
};
