#include "net/NeuroNet.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace {

// No read number makes the error NaN, so no transcript shows this rule; the others'
// wording, and that a met limit wins over every rule, the transcripts show.
TEST(TrainingStops, WhenTheErrorIsNotANumber) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(NeuroNet::whyTrainingStops({nan, 0.2, 0.0, true, 1, 10}).words(),
              "the error is not a number");
}

}  // namespace
