#include "net/NeuroNet.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct StopCase {
    NeuroNet::StepEnd end;
    const char* why;
};

// The wording of every rule, and the cases where training goes on or has met its limit.
TEST(TrainingStops, SayWhyInPlainWords) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [end, why] :
         {StopCase{{0.2, 0.2, 5.0, false, 10'000'000, 10'000'000}, ""},
          StopCase{{0.3, 0.2, 0.2, true, 9'999'999, 10'000'000}, ""},
          StopCase{{5.3, 0.2, 3.5721, true, 1, 10'000'000},
                   "the target is out of reach: every output lies between 0.11 and 1.11, so "
                   "the error cannot fall below 3.5721 (limit 0.2)"},
          StopCase{{0.3721, 0.2, 0.0, false, 1, 10'000'000},
                   "the step changed no weight, so every further step would repeat the error "
                   "0.3721 (limit 0.2)"},
          StopCase{{0.21, 0.2, 0.0, true, 10'000'000, 10'000'000},
                   "the limit 0.2 was not met in 10000000 steps; the last error is 0.21"},
          StopCase{{nan, 0.2, 0.0, true, 1, 10}, "the error is not a number"}}) {
        EXPECT_EQ(NeuroNet::whyTrainingStops(end), why) << end.E;
    }
}

}  // namespace
