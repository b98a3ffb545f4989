#include "net/NeuroNet.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <optional>
#include <sstream>
#include <string>

namespace {

// No read number makes the error NaN, so no transcript shows this rule; the others'
// wording, and that a met limit wins over every rule, the transcripts show.
TEST(TrainingStops, WhenTheErrorIsNotANumber) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(NeuroNet::whyTrainingStops({nan, 0.2, 0.0, true, 1, 10}).words(),
              "the error is not a number");
}

// The platform's long run, its text and its last weights, resumed from the state after step
// `from` (0: trained from step 1), and that state after step `keep`, if asked.
struct Trained {
    std::string text;
    std::vector<Matrix> weights;
    std::optional<TrainingState> kept;
};
Trained train(std::optional<TrainingState> from, std::int32_t keep = 0) {
    std::srand(1);
    Vector input(3);
    for (std::int32_t i = 0; i < 3; ++i) {
        input.set(i, 0.1);
    }
    std::ostringstream out;
    std::istringstream target("-0.147 -0.147 -0.147");
    Trained trained;
    NeuroNet net(input, out);
    net.watch({.begins = {}, .stepEnds = [&](const NeuroNet::StepRecord& r) {
                   if (r.step == keep) {
                       trained.kept = NeuroNet::stateAfter(r);
                   }
               }});
    if (from) {
        net.resumeFrom(std::move(*from));
    }
    net.BackPropagate(target);
    trained.text = out.str();
    const auto weights = net.weightMatrices();
    trained.weights.resize(weights.size());
    std::copy(weights.begin(), weights.end(), trained.weights.begin());
    return trained;
}

// Resumed from the state after a step, training writes the steps after it, the report and
// the last weights of the run trained from step 1, to the last bit.
TEST(Training, ResumesFromTheStateAfterAStep) {
    Trained whole = train(std::nullopt, 4096);
    const Trained resumed = train(std::move(whole.kept));
    const std::string prompts = "Enter vector [2] element: ";
    const std::size_t begun = resumed.text.rfind(prompts) + prompts.size();
    std::size_t after = whole.text.rfind(prompts) + prompts.size();
    for (int line = 0; line < 2 * 4096; ++line) {
        after = whole.text.find('\n', after) + 1;
    }
    EXPECT_EQ(resumed.text.substr(0, begun), whole.text.substr(0, begun));
    EXPECT_EQ(resumed.text.substr(begun), whole.text.substr(after));
    EXPECT_TRUE(std::equal(resumed.weights.begin(), resumed.weights.end(), whole.weights.begin()));
}

}  // namespace
