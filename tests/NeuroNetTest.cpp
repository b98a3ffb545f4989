#include "net/NeuroNet.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "Structure.hpp"
#include "Values.hpp"

namespace {

// The construction report a seed must give, built from the replayed draws alone.
std::string expectedConstruction(unsigned seed) {
    std::ostringstream text;
    text << "0.500 -1.000 2.000 \nNN have 5 layers.\n";
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
    const std::string expected = expectedConstruction(seed);
    std::ostringstream out;
    NeuroNet net(vectorOf({0.5, -1.0, 2.0}), out);
    EXPECT_EQ(out.str(), expected);
    // Construction draws nothing more: the next draw is training's learning rate.
    EXPECT_EQ(std::rand() % 100, structure.etaHundredths);
    std::int32_t rows = 3;
    for (std::int32_t g = 0; g < 4; ++g) {
        EXPECT_EQ(net.weight(g).rows(), rows);
        EXPECT_EQ(net.weight(g).cols(), structure.cols[static_cast<std::size_t>(g)]);
        rows = net.weight(g).cols();
    }
}

// The program's own network, a few others, and one with an empty first layer (its matrix
// prints three empty rows, the next one its header alone).
INSTANTIATE_TEST_SUITE_P(Seeds, Construction,
                         testing::Values(1u, 2u, 17u, 4242u, seedWhere([](const Structure& s) {
                                             return s.cols[0] == 0;
                                         })));

// Every layer checked against sums formed here, over rows from 0 up, starting at 0.0.
void expectLayersMatchHandComputation(const NeuroNet& net, std::vector<double> values) {
    for (std::int32_t g = 0; g < 4; ++g) {
        const Matrix& w = net.weight(g);
        std::vector<double> next;
        for (std::int32_t j = 0; j < w.cols(); ++j) {
            double sum = 0.0;
            for (std::int32_t k = 0; k < w.rows(); ++k) {
                sum = sum + values[static_cast<std::size_t>(k)] * w.get(k, j);
            }
            next.push_back(1.0 / (std::exp(-0.11 * sum) + 1.0) + 0.11);
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
        net.Propagate();
        EXPECT_EQ(out.str(), line + "\n" + line + "\n") << "the same line twice";
    }
}

TEST(Propagate, GivesPointSixOneAfterZeroInputOrAnEmptyLayer) {
    std::srand(seedWhere([](const Structure& s) { return s.cols[0] >= 3; }));
    std::ostringstream out;
    NeuroNet zeroInput(Vector(3), out);
    zeroInput.Propagate();
    EXPECT_EQ(elementsOf(zeroInput.result(0)),
              std::vector<double>(zeroInput.weight(0).cols(), 0.61));

    std::srand(seedWhere([](const Structure& s) { return s.cols[1] == 0 && s.cols[2] > 0; }));
    NeuroNet emptyLayer(vectorOf({1, 2, 3}), out);
    emptyLayer.Propagate();
    EXPECT_EQ(emptyLayer.result(1).size(), 0);
    EXPECT_EQ(elementsOf(emptyLayer.result(2)),
              std::vector<double>(emptyLayer.weight(2).cols(), 0.61));
    expectLayersMatchHandComputation(emptyLayer, {1, 2, 3});
}

}  // namespace
