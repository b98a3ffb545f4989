#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Why training stopped before meeting its limit, with the numbers its words give. The
// transcript writes the words after "Training stopped: ".
struct StopReason {
    enum class Kind { none, notANumber, outOfReach, unchanged, stepLimit };

    Kind kind = Kind::none;
    double error = 0;          // the last step's error
    double limit = 0;          // the error limit
    double smallestError = 0;  // the least error any output allows for the target
    std::int32_t steps = 0;    // the steps made

    bool stopped() const { return kind != Kind::none; }
    // The words for the user; empty when training did not stop early.
    std::string words() const;
    // One word for the kind, for a reader that is a program: "out-of-reach" and so on.
    std::string_view name() const;
};
