#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
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

    // Every how many steps those kept lie, from the first.
    std::int64_t stride() const { return stride_; }
    // Takes up the thinning as it stood after step `last`, when every `stride`-th step was
    // kept, from steps logged at that time or before: every step kept then must be among them.
    // Returns the steps kept then.
    std::vector<Transcript::Step> resume(std::int64_t last, std::int64_t stride,
                                         std::span<const Transcript::Step> logged);

  private:
    std::size_t capacity_;
    std::int64_t stride_ = 1;
    // Whether the last step kept is off the stride, kept only until the next one comes.
    bool lastOffStride_ = false;
};
