#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "transcript/Transcript.hpp"

// Keeps at most a fixed number of a long run's steps, and always the last one added:
// every step while they fit, then every second, every fourth and so on, so the steps
// kept stay evenly spaced from the first.
class Thinning {
  public:
    // `capacity` is even, so that thinning keeps the step that made it necessary.
    explicit Thinning(std::size_t capacity) : capacity_(capacity) {}

    // Adds the next step, numbered one after the last, to those kept in `kept`.
    void add(std::vector<Transcript::Step>& kept, const Transcript::Step& step);

  private:
    std::size_t capacity_;
    std::int64_t stride_ = 1;
    // Whether the last step kept is off the stride, kept only until the next one comes.
    bool lastOffStride_ = false;
};
