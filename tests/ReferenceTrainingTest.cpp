// The network's training computes several things more directly than the plain
// operations of Vector and Matrix would: products into reused vectors, the product with
// transposed weights without transposing them, the update in place. Here the same
// dialogue is computed step by step with those plain operations alone, as first
// written: every product and sum a new object, the weights transposed and restored
// through a saved copy. Both must agree to the last bit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>

#include "Structure.hpp"
#include "Values.hpp"
#include "net/NeuroNet.hpp"

namespace {

using Rows = std::vector<std::vector<double>>;

constexpr int L = 5;
constexpr double slope = 0.11;
constexpr double offset = 0.11;

struct ReferenceNet {
    std::ostringstream out;
    Vector input;
    Matrix weights[L - 1];
    Vector results[L - 1];
    std::int32_t stepLimit;

    ReferenceNet(const Vector& a, std::int32_t limit) : stepLimit(limit) {
        input = a;
        input.print(out);
        out << "NN have " << L << " layers.\n";
        for (int g = 0; g < L - 1; ++g) {
            const int draw = std::rand();
            const std::int32_t cols = g == 0 ? draw % 9 : draw % 10;
            weights[g].resize(g == 0 ? input.size() : weights[g - 1].cols(), cols);
            weights[g].randomize();
            weights[g].print(out);
        }
    }

    void Propagate() {
        results[0] = *(input * weights[0]);
        results[0].activate(slope, offset, 0);
        for (int i = 1; i < L - 1; ++i) {
            results[i] = *(results[i - 1] * weights[i]);
            results[i].activate(slope, offset, 0);
        }
        out << "Propagate is: ";
        results[L - 2].print(out);
    }

    static double smallestError(const Vector& D) {
        double error = 0.0;
        for (std::int32_t m = 0; m < D.size(); ++m) {
            const double x = D.get(m);
            const double d = x < offset ? offset - x : (x > offset + 1.0 ? x - offset - 1.0 : 0.0);
            error += d * d;
        }
        return error;
    }

    void BackPropagate(std::istream& in) {
        std::int32_t step = 1;
        const double eta = (std::rand() % 100) / 100.0;
        const double alpha = 0.2;
        const double Emax = 0.2;
        double E = 0.0;
        std::int32_t tmp = 0;
        Vector Delta[L - 1];
        Matrix Wold[L - 1];
        Matrix dWold[L - 1];
        Matrix dW[L - 1];
        Vector D;
        Vector TMP;
        Matrix DyDs;

        Propagate();
        const Vector& y = results[L - 2];
        const std::int32_t n = y.size();
        D.resize(n);
        out << "Enter D vector: ";
        D.input(in, out);

        while (step != 0) {
            E = 0.0;
            Propagate();
            if (step == 1) {
                TMP = y;
            }
            for (int g = 0; g <= L - 2; ++g) {
                Wold[g] = weights[g];
            }
            DyDs.resize(n, n);
            DyDs.derivativeDiagonal(Vector(y), slope, offset);
            Delta[L - 2] = *(*(y - D) * DyDs);
            Delta[L - 2].print(out);
            for (int k = L - 3; k >= 0; --k) {
                const std::int32_t m = results[k].size();
                DyDs.resize(m, m);
                DyDs.derivativeDiagonal(Vector(results[k]), slope, offset);
                weights[k + 1].transpose();
                Delta[k] = *(*(Delta[k + 1] * weights[k + 1]) * DyDs);
            }
            for (int g = L - 2; g >= 0; --g) {
                const Vector& X = g == 0 ? input : results[g - 1];
                const std::int32_t p = X.size();
                const std::int32_t q = Delta[g].size();
                if (step == 1) {
                    dWold[g].resize(p, q);
                } else {
                    dWold[g] = dW[g];
                }
                dW[g].resize(p, q);
                for (std::int32_t i = 0; i < q; ++i) {
                    for (std::int32_t k = 0; k < p; ++k) {
                        dW[g].set(k, i,
                                  (X.get(k) * (Delta[g].get(i) * (1 - alpha)) +
                                   dWold[g].get(k, i) * alpha) *
                                      (-eta));
                    }
                }
            }
            bool changed = false;
            for (int g = 0; g <= L - 2; ++g) {
                weights[g] = *(Wold[g] + dW[g]);
                changed = changed || !(weights[g] == Wold[g]);
            }
            for (std::int32_t m = 0; m < n; ++m) {
                E += std::pow(y.get(m) - D.get(m), 2);
            }
            const std::string stop =
                NeuroNet::whyTrainingStops({E, Emax, smallestError(D), changed, step, stepLimit});
            if (!stop.empty()) {
                out << "Training stopped: " << stop << std::endl;
            }
            if (Emax < E && stop.empty()) {
                ++step;
            } else {
                tmp = step;
                step = 0;
            }
        }
        out << std::endl;
        out << "-------------------------------------------------\n";
        out << "BackPropagate is over:\n\n\tFirst step is: ";
        TMP.print(out);
        out << "\tD is: ";
        D.print(out);
        out << "\tResult is: ";
        y.print(out);
        out << "\tEmax is: " << Emax << std::endl;
        out << "\tE is: " << E << std::endl;
        out << "\tNumer of steps: " << tmp << std::endl;
        out << "-------------------------------------------------" << std::endl;
    }
};

struct Case {
    const char* name;
    std::function<bool(const Structure&)> structure;
    const char* input;
    const char* target;  // one number, repeated for every output
    std::int32_t stepLimit;
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

class AgreesWithThePlainOperations : public testing::TestWithParam<Case> {};

TEST_P(AgreesWithThePlainOperations, ToTheLastBit) {
    const unsigned seed = seedWhere(GetParam().structure);
    ASSERT_NE(seed, 0u);
    const Structure structure = structureAfterSeed(seed);
    std::string target;
    for (int i = 0; i < structure.cols[3]; ++i) {
        target += std::string(GetParam().target) + " ";
    }
    std::istringstream inputText(GetParam().input);
    Vector input(3);
    std::ostringstream prompts;
    input.input(inputText, prompts);

    std::srand(seed);
    std::ostringstream out;
    NeuroNet net(input, out);
    net.limitSteps(GetParam().stepLimit);
    std::istringstream netTarget(target);
    net.BackPropagate(netTarget);

    std::srand(seed);
    ReferenceNet reference(input, GetParam().stepLimit);
    std::istringstream referenceTarget(target);
    reference.BackPropagate(referenceTarget);

    EXPECT_EQ(out.str(), reference.out.str());
    for (std::int32_t g = 0; g < L - 1; ++g) {
        EXPECT_EQ(elementsOf(net.weight(g)), elementsOf(reference.weights[g])) << g;
        EXPECT_EQ(elementsOf(net.result(g)), elementsOf(reference.results[g])) << g;
    }
}

bool full(const Structure& s) {
    return s.cols[0] == 8 && s.cols[1] == 9 && s.cols[2] == 9 && s.cols[3] == 9;
}

INSTANTIATE_TEST_SUITE_P(
    Networks, AgreesWithThePlainOperations,
    testing::Values(
        Case{"platform network", [](const Structure&) { return true; }, "1 2 3", "0.3", 100000},
        Case{"long run", [](const Structure&) { return true; }, "0.1 0.1 0.1", "-0.147", 100000},
        Case{"largest network", full, "0.5 -1 2", "0.4", 100000},
        Case{"largest network, huge input", full, "1e300 -1e300 1e300", "0.2", 3000},
        Case{"largest network, step limit", full, "1 2 3", "0.11", 50},
        Case{"empty first layer",
             [](const Structure& s) { return s.cols[0] == 0 && s.cols[3] > 0; }, "1 2 3", "0.7",
             100000},
        Case{"empty hidden layer",
             [](const Structure& s) { return s.cols[1] == 0 && s.cols[3] > 1; }, "1 2 3", "0.7",
             100000},
        Case{"empty layer before the output",
             [](const Structure& s) { return s.cols[2] == 0 && s.cols[3] > 1; }, "1 2 3", "1",
             100000},
        Case{"empty output", [](const Structure& s) { return s.cols[3] == 0; }, "1 2 3", "1",
             100000},
        Case{"zero learning rate",
             [](const Structure& s) { return s.etaHundredths == 0 && s.cols[3] > 0; }, "1 2 3",
             "1.1", 100000},
        Case{"out of reach", full, "1 2 3", "3", 100000},
        Case{"negative zeros", [](const Structure& s) { return s.cols[0] > 0 && s.cols[3] > 0; },
             "-0 -0 -0", "0.61", 100000}));

}  // namespace
