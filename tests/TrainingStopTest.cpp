#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "DialogueRun.hpp"
#include "Structure.hpp"
#include "app/Dialogue.hpp"
#include "net/NeuroNet.hpp"

namespace {

const std::string rule = "-------------------------------------------------";

struct StopCase {
    const char* name;
    NeuroNet::StepEnd end;
    const char* why;
    friend void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }
};

class StopRules : public testing::TestWithParam<StopCase> {};

TEST_P(StopRules, SayWhyInPlainWords) {
    EXPECT_EQ(NeuroNet::whyTrainingStops(GetParam().end), GetParam().why);
}

const double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, StopRules,
    testing::Values(
        StopCase{"limit met exactly", {0.2, 0.2, 5.0, false, 10'000'000, 10'000'000}, ""},
        StopCase{"another step may help", {0.3, 0.2, 0.2, true, 9'999'999, 10'000'000}, ""},
        StopCase{"out of reach",
                 {5.3, 0.2, 3.5721, true, 1, 10'000'000},
                 "the target is out of reach: every output lies between 0.11 and 1.11, so the "
                 "error cannot fall below 3.5721 (limit 0.2)"},
        StopCase{"no weight changed",
                 {0.3721, 0.2, 0.0, false, 1, 10'000'000},
                 "the step changed no weight, so every further step would repeat the error "
                 "0.3721 (limit 0.2)"},
        StopCase{"step limit",
                 {0.21, 0.2, 0.0, true, 10'000'000, 10'000'000},
                 "the limit 0.2 was not met in 10000000 steps; the last error is 0.21"},
        StopCase{"not a number", {nan, 0.2, 0.0, true, 1, 10}, "the error is not a number"}));

std::string reportedError(const DialogueRun& run) {
    return run.lineAfter("\tE is: ");
}

// The stop line stands between the last error-term line and the report, and the report
// counts the steps made.
void expectStoppedAfter(const DialogueRun& run, const std::string& why, int steps) {
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    const std::string stop = "\nTraining stopped: " + why + "\n\n" + rule + "\n";
    EXPECT_NE(run.out.find(stop), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\tNumer of steps: " + std::to_string(steps) + "\n"), std::string::npos);
    EXPECT_EQ(run.out.find("Training stopped: "), run.out.rfind("Training stopped: "));
}

TEST(TrainingStops, WhenTheTargetIsOutOfReach) {
    const DialogueRun run("1 2 3 3 0.5 -1", 1);
    expectStoppedAfter(run,
                       "the target is out of reach: every output lies between 0.11 and 1.11, "
                       "so the error cannot fall below 4.8042 (limit 0.2)",
                       1);
    // Up to the stop line, the transcript is that of a run that goes on.
    const DialogueRun unstopped("1 2 3 3 0.5 -1", 1, 2);
    const auto stopAt = run.out.find("Training stopped: ");
    EXPECT_EQ(run.out.substr(0, stopAt), unstopped.out.substr(0, stopAt));
}

TEST(TrainingStops, WhenTheLearningRateIsZero) {
    const unsigned seed = seedWhere([](const Structure& s) {
        return s.etaHundredths == 0 && s.cols[0] > 0 && s.cols[1] > 0 && s.cols[2] > 0 &&
               s.cols[3] > 0;
    });
    ASSERT_NE(seed, 0u);
    const DialogueRun run("1 2 3 " + exactText(shifted(firstOutput(seed, {1, 2, 3}), 0.5)), seed);
    expectStoppedAfter(run,
                       "the step changed no weight, so every further step would repeat the "
                       "error " +
                           reportedError(run) + " (limit 0.2)",
                       1);
}

TEST(TrainingStops, WhenTheOutputFollowsAnEmptyLayer) {
    const unsigned seed =
        seedWhere([](const Structure& s) { return s.cols[2] == 0 && s.cols[3] == 2; });
    ASSERT_NE(seed, 0u);
    const DialogueRun run("1 2 3 1 1", seed);
    expectStoppedAfter(run,
                       "the step changed no weight, so every further step would repeat the error "
                       "0.3042 (limit 0.2)",
                       1);
}

TEST(TrainingStops, WhenTheStepLimitIsReached) {
    const DialogueRun run("1 2 3 0.3 0.3 0.3", 1, 3);
    expectStoppedAfter(
        run, "the limit 0.2 was not met in 3 steps; the last error is " + reportedError(run), 3);
}

}  // namespace
