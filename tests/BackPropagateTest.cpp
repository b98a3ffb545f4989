#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "DialogueRun.hpp"
#include "Structure.hpp"
#include "Values.hpp"
#include "net/NeuroNet.hpp"

namespace {

using Rows = std::vector<std::vector<double>>;
using Elements = std::vector<double>;

const std::string rule = "-------------------------------------------------";

double derivativeAt(double x) {
    const double e = std::exp(-0.11 * x);
    return (0.11 * e) / ((e + 1.0) * (e + 1.0));
}

std::string printedLine(const Elements& values) {
    std::string line;
    for (const double value : values) {
        line += printed(value);
    }
    return line + "\n";
}

// One network built after std::srand(seed) and trained against the target.
struct Training {
    std::vector<Rows> weightsBefore;
    std::vector<Rows> weightsAfter;
    std::vector<Elements> layers;
    std::string construction;
    std::string text;
    NeuroNet::Outcome outcome;

    Training(unsigned seed, const Elements& input, const std::string& target) {
        std::srand(seed);
        std::ostringstream out;
        NeuroNet net(vectorOf(input), out);
        construction = out.str();
        out.str("");
        for (std::int32_t g = 0; g < 4; ++g) {
            weightsBefore.push_back(elementsOf(net.weight(g)));
        }
        std::istringstream in(target);
        outcome = net.BackPropagate(in);
        for (std::int32_t g = 0; g < 4; ++g) {
            weightsAfter.push_back(elementsOf(net.weight(g)));
            layers.push_back(elementsOf(net.result(g)));
        }
        text = out.str();
    }
};

std::string report(const Elements& first, const Elements& target, const Elements& result,
                   double error, int steps) {
    std::ostringstream text;
    text << "\n"
         << rule << "\nBackPropagate is over:\n\n\tFirst step is: " << printedLine(first)
         << "\tD is: " << printedLine(target) << "\tResult is: " << printedLine(result)
         << "\tEmax is: 0.2\n\tE is: " << error << "\n\tNumer of steps: " << steps << "\n"
         << rule << "\n";
    return text.str();
}

std::string targetPrompts(std::size_t n) {
    std::string prompts = "Enter D vector: ";
    for (std::size_t i = 0; i < n; ++i) {
        prompts += "Enter vector [" + std::to_string(i) + "] element: ";
    }
    return prompts;
}

double squaredError(const Elements& y, const Elements& d) {
    double e = 0.0;
    for (std::size_t m = 0; m < y.size(); ++m) {
        e += (y[m] - d[m]) * (y[m] - d[m]);
    }
    return e;
}

TEST(BackPropagate, OneStepChangesEveryWeightAsDerivedByHand) {
    const unsigned seed = seedWhere([](const Structure& s) {
        return s.cols[0] >= 2 && s.cols[1] >= 2 && s.cols[2] >= 2 && s.cols[3] >= 2 &&
               s.etaHundredths > 10;
    });
    ASSERT_NE(seed, 0u);
    const double eta = structureAfterSeed(seed).eta();
    const Elements input{0.5, -1.0, 2.0};
    const Elements y = firstOutput(seed, input);
    const Elements D = shifted(y, 0.1);
    const Training run(seed, input, exactText(D));

    // Error terms, from the output layer back, with the derivative at the activated values.
    std::vector<Elements> delta(4);
    for (std::size_t i = 0; i < y.size(); ++i) {
        delta[3].push_back((y[i] - D[i]) * derivativeAt(y[i]));
    }
    for (int k = 2; k >= 0; --k) {
        const Rows& w = run.weightsBefore[static_cast<std::size_t>(k + 1)];
        const Elements& values = run.layers[static_cast<std::size_t>(k)];
        for (std::size_t i = 0; i < values.size(); ++i) {
            double sum = 0.0;
            for (std::size_t j = 0; j < delta[static_cast<std::size_t>(k + 1)].size(); ++j) {
                sum = sum + delta[static_cast<std::size_t>(k + 1)][j] * w[i][j];
            }
            delta[static_cast<std::size_t>(k)].push_back(sum * derivativeAt(values[i]));
        }
    }
    for (std::size_t g = 0; g < 4; ++g) {
        const Elements& x = g == 0 ? input : run.layers[g - 1];
        Rows expected = run.weightsBefore[g];
        for (std::size_t k = 0; k < x.size(); ++k) {
            for (std::size_t i = 0; i < delta[g].size(); ++i) {
                const double change = (x[k] * (delta[g][i] * (1 - 0.2)) + 0.0 * 0.2) * (-eta);
                expected[k][i] = expected[k][i] + change;
            }
        }
        EXPECT_EQ(run.weightsAfter[g], expected) << "weights[" << g << "]";
    }

    const std::string forward = "Propagate is: " + printedLine(y);
    EXPECT_EQ(run.text, forward + targetPrompts(y.size()) + forward + printedLine(delta[3]) +
                            report(y, D, y, squaredError(y, D), 1));
    EXPECT_TRUE(run.outcome.limitMet);
}

TEST(BackPropagate, EmptyOutputLayerAsksForNothingAndEndsAtOnce) {
    const unsigned seed = seedWhere([](const Structure& s) { return s.cols[3] == 0; });
    ASSERT_NE(seed, 0u);
    const Training run(seed, {1, 2, 3}, "");
    EXPECT_EQ(run.text,
              "Propagate is: \nEnter D vector: Propagate is: \n\n" + report({}, {}, {}, 0.0, 1));
    EXPECT_NE(run.text.find("\tE is: 0\n"), std::string::npos);
    EXPECT_EQ(run.outcome.unreadTarget, std::nullopt);
}

TEST(BackPropagate, OutputPointSixOneAgainstOne) {
    const unsigned seed =
        seedWhere([](const Structure& s) { return s.cols[2] == 0 && s.cols[3] == 1; });
    ASSERT_NE(seed, 0u);
    const Training run(seed, {1, 2, 3}, "1");
    const std::string forward = "Propagate is: 0.610 \n";
    EXPECT_EQ(run.text, forward + targetPrompts(1) + forward + "-0.011 \n" +
                            report({0.61}, {1.0}, {0.61}, 0.1521, 1));
    EXPECT_NE(run.text.find("\tE is: 0.1521\n"), std::string::npos);
}

TEST(BackPropagate, TrainsOverManyStepsAndRepeatsExactly) {
    const Training run(1, {1, 2, 3}, "0.3 0.3 0.3");
    // Prompts end no line, so a forward pass may begin in the middle of one.
    std::vector<std::string> forwardLines;
    const std::string label = "Propagate is: ";
    for (auto at = run.text.find(label); at != std::string::npos;
         at = run.text.find(label, at + 1)) {
        const auto start = at + label.size();
        forwardLines.push_back(run.text.substr(start, run.text.find('\n', start) - start));
    }
    const int steps = std::stoi(lineAfter(run.text, "\tNumer of steps: "));
    EXPECT_GT(steps, 1);
    EXPECT_EQ(forwardLines.size(), static_cast<std::size_t>(steps) + 1);
    EXPECT_EQ(lineAfter(run.text, "\tFirst step is: "), forwardLines[0]);
    EXPECT_EQ(lineAfter(run.text, "\tResult is: "), forwardLines.back());
    EXPECT_EQ(Training(1, {1, 2, 3}, "0.3 0.3 0.3").text, run.text);
}

TEST(BackPropagate, DrawsOnceAtItsStart) {
    std::ostringstream out;
    std::srand(1);
    { NeuroNet net(vectorOf({1, 2, 3}), out); }
    std::rand();  // the learning rate
    const int next = std::rand();
    std::srand(1);
    NeuroNet net(vectorOf({1, 2, 3}), out);
    std::istringstream in("0.3 0.3 0.3");
    net.BackPropagate(in);
    EXPECT_EQ(std::rand(), next);
}

}  // namespace
