#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "plot/Transcript.hpp"

// Keeps at most a fixed number of a long run's steps: every step while they fit, then
// every second, every fourth and so on, always with the first step and the last.
class Thinning {
  public:
    explicit Thinning(std::size_t capacity) : capacity_(capacity) {}

    void add(Transcript::Step step);
    // The steps kept, in order; the last one added is among them.
    std::vector<Transcript::Step> steps() &&;

  private:
    std::size_t capacity_;
    std::int64_t stride_ = 1;
    std::vector<Transcript::Step> kept_;
    std::optional<Transcript::Step> last_;
};
