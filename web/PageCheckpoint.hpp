#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "linalg/Matrix.hpp"
#include "net/TrainingState.hpp"
#include "transcript/Transcript.hpp"

// A moment of a run that the page goes on from, rather than train again from step 1:
// training's state after a step, how many lines standard output had then, and the stride of
// the steps the picture's reader kept. It is kept by the worker between runs, as doubles, with
// the steps the picture kept since the checkpoint before.
struct PageCheckpoint {
    TrainingState training;
    std::int64_t lines = 0;
    std::int64_t stride = 1;

    std::vector<double> encoded() const;
    // The checkpoint the doubles hold, if they hold one for a network of these weights.
    static std::optional<PageCheckpoint> decoded(std::span<const double> values,
                                                 std::span<const Matrix> weights);

    // Steps of a transcript, each its number and `outputs` values, and back.
    static std::vector<double> encodedSteps(std::span<const Transcript::Step> steps,
                                            std::size_t outputs);
    static std::vector<Transcript::Step> decodedSteps(std::span<const double> values,
                                                      std::size_t outputs);
};
