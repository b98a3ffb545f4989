#pragma once

#include <cstdint>
#include <string_view>

// Counts the training steps in the program's standard output as it is written, in pieces
// that may end anywhere: every output ("Propagate is: ") but the first, which comes before
// the target is asked for. The program writes no other text that holds the marker.
class StepCounter {
  public:
    void take(std::string_view text);
    std::int32_t steps() const { return outputs_ > 0 ? outputs_ - 1 : 0; }

  private:
    // No beginning of the marker is also its end, so an occurrence that fails to complete
    // never hides one that starts inside it.
    static constexpr std::string_view marker = "Propagate is: ";

    std::size_t matched_ = 0;  // how much of the marker the text so far ends with
    std::int32_t outputs_ = 0;
};
