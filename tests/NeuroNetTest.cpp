#include "net/NeuroNet.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "Structure.hpp"
#include "Values.hpp"

namespace {

double activated(double sum) {
    return 1.0 / (std::exp(-0.11 * sum) + 1.0) + 0.11;
}

// The construction report a seed must give, built from the replayed draws alone.
std::string expectedConstruction(unsigned seed, const std::vector<double>& input) {
    std::ostringstream text;
    text << printed(input[0]) << printed(input[1]) << printed(input[2]) << "\n";
    text << "NN have 5 layers.\n";
    std::srand(seed);
    int rows = 3;
    for (int g = 0; g < 4; ++g) {
        const int cols = std::rand() % (g == 0 ? 9 : 10);
        text << "Matrix is:\n";
        for (int i = 0; i < rows; ++i) {
            for (int j = 0; j < cols; ++j) {
                const int remainder = std::rand() % 100;
                text << '\t' << (remainder == 0 ? 0.01 : remainder / 100.0);
            }
            text << '\n';
        }
        rows = cols;
    }
    std::srand(seed);
    return text.str();
}

class Construction : public testing::TestWithParam<unsigned> {};

TEST_P(Construction, ReportFollowsTheDrawOrder) {
    const unsigned seed = GetParam();
    const Structure structure = structureAfterSeed(seed);
    const std::string expected = expectedConstruction(seed, {0.5, -1.0, 2.0});
    std::ostringstream out;
    NeuroNet net(vectorOf({0.5, -1.0, 2.0}), out);
    EXPECT_EQ(out.str(), expected);
    // Construction draws nothing more: the next draw is training's learning rate.
    EXPECT_EQ(std::rand() % 100, structure.etaHundredths);

    EXPECT_EQ(net.layerCount(), 5);
    std::int32_t rows = 3;
    for (std::int32_t g = 0; g < 4; ++g) {
        EXPECT_EQ(net.weight(g).rows(), rows);
        EXPECT_EQ(net.weight(g).cols(), structure.cols[static_cast<std::size_t>(g)]);
        rows = net.weight(g).cols();
        EXPECT_EQ(elementsOf(net.result(g)), std::vector<double>{0.0}) << "still default";
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Construction, testing::Values(1u, 2u, 3u, 17u, 4242u));

TEST(Construction, EmptyFirstLayerDrawsNoElementsForItsNeighbours) {
    const unsigned seed = seedWhere([](const Structure& s) { return s.cols[0] == 0; });
    ASSERT_NE(seed, 0u);
    std::srand(seed);
    std::ostringstream out;
    NeuroNet net(Vector(3), out);
    EXPECT_NE(out.str().find("NN have 5 layers.\nMatrix is:\n\n\n\nMatrix is:\nMatrix is:\n"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(net.weight(1).rows(), 0);
    EXPECT_EQ(out.str(), expectedConstruction(seed, {0, 0, 0}));
}

TEST(Teardown, WritesBothMessagesOnceInOrder) {
    std::ostringstream out;
    {
        NeuroNet net(Vector(3), out);
        out.str("");
    }
    EXPECT_EQ(out.str(), "Neuro result vector was deleted...\nNeuro matrixs was deleted...\n");
}

// Runs a forward pass and checks every layer against the sums computed here, over rows
// in ascending order from 0.0.
void expectLayersMatchHandComputation(const NeuroNet& net, const std::vector<double>& input) {
    std::vector<double> values = input;
    for (std::int32_t g = 0; g < 4; ++g) {
        const Matrix& w = net.weight(g);
        std::vector<double> next;
        for (std::int32_t j = 0; j < w.cols(); ++j) {
            double sum = 0.0;
            for (std::int32_t k = 0; k < w.rows(); ++k) {
                sum = sum + values[static_cast<std::size_t>(k)] * w.get(k, j);
            }
            next.push_back(activated(sum));
        }
        EXPECT_EQ(elementsOf(net.result(g)), next) << "layer " << g;
        values = next;
    }
}

TEST(Propagate, ComputesEveryLayerAndWritesTheOutputLine) {
    for (const unsigned seed : {1u, 5u, 77u}) {
        std::srand(seed);
        std::ostringstream out;
        NeuroNet net(vectorOf({0.3, -2.0, 7.5}), out);
        out.str("");
        net.Propagate();
        expectLayersMatchHandComputation(net, {0.3, -2.0, 7.5});
        std::string line = "Propagate is: ";
        for (const double value : elementsOf(net.output())) {
            line += printed(value);
        }
        EXPECT_EQ(out.str(), line + "\n");
        // A second pass with the same weights writes the same line.
        net.Propagate();
        EXPECT_EQ(out.str(), line + "\n" + line + "\n");
    }
}

TEST(Propagate, ZeroInputGivesPointSixOneInTheFirstLayer) {
    const unsigned seed = seedWhere([](const Structure& s) { return s.cols[0] >= 3; });
    std::srand(seed);
    std::ostringstream out;
    NeuroNet net(Vector(3), out);
    net.Propagate();
    EXPECT_EQ(elementsOf(net.result(0)), std::vector<double>(net.weight(0).cols(), 0.61));
}

TEST(Propagate, LayerAfterAnEmptyLayerIsPointSixOne) {
    const unsigned seed =
        seedWhere([](const Structure& s) { return s.cols[1] == 0 && s.cols[2] > 0; });
    ASSERT_NE(seed, 0u);
    std::srand(seed);
    std::ostringstream out;
    NeuroNet net(vectorOf({1, 2, 3}), out);
    net.Propagate();
    EXPECT_EQ(net.result(1).size(), 0);
    EXPECT_EQ(elementsOf(net.result(2)), std::vector<double>(net.weight(2).cols(), 0.61));
    expectLayersMatchHandComputation(net, {1, 2, 3});
}

TEST(Propagate, EmptyOutputLayerGivesAnEmptyLine) {
    const unsigned seed = seedWhere([](const Structure& s) { return s.cols[3] == 0; });
    ASSERT_NE(seed, 0u);
    std::srand(seed);
    std::ostringstream out;
    NeuroNet net(vectorOf({1, 2, 3}), out);
    out.str("");
    net.Propagate();
    EXPECT_EQ(out.str(), "Propagate is: \n");
}

TEST(Propagate, DrawsNothing) {
    std::ostringstream out;
    std::srand(9);
    NeuroNet net(Vector(3), out);
    net.Propagate();
    net.Propagate();
    const int afterPasses = std::rand();
    std::srand(9);
    NeuroNet again(Vector(3), out);
    EXPECT_EQ(std::rand(), afterPasses);
}

}  // namespace
