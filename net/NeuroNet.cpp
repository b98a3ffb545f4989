#include "net/NeuroNet.hpp"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::size_t at(std::int32_t i) {
    return static_cast<std::size_t>(i);
}

// Every activated value lies from `low` to `low` + 1, so no output comes closer to the
// target than this: the summed squared distance of its elements from that interval.
double smallestReachableError(const Vector& target, double low) {
    const double high = low + 1.0;
    double error = 0.0;
    for (std::int32_t m = 0; m < target.size(); ++m) {
        const double x = target.get(m);
        const double distance = x < low ? low - x : (x > high ? x - high : 0.0);
        error += distance * distance;
    }
    return error;
}

}  // namespace

NeuroNet::NeuroNet(Vector inputVector) : NeuroNet(std::move(inputVector), std::cout) {}

NeuroNet::NeuroNet(Vector inputVector, std::ostream& out) : out_(&out) {
    layers = 5;
    results = std::make_unique<Vector[]>(at(layers - 1));
    input = inputVector;
    input.print(*out_);
    *out_ << "NN have " << layers << " layers.\n";
    weights = std::make_unique<Matrix[]>(at(layers - 1));
    buildWeights();
}

// Each matrix draws its column count, then its elements, and is printed before the
// next one is sized: the order of the draws is part of the program's behaviour.
void NeuroNet::buildWeights() {
    for (std::int32_t g = 0; g < layers - 1; ++g) {
        const int draw = std::rand();
        const std::int32_t cols = g == 0 ? draw % 9 : draw % 10;
        const std::int32_t rows = g == 0 ? input.size() : weights[at(g - 1)].cols();
        Matrix& matrix = weights[at(g)];
        matrix.resize(rows, cols);
        matrix.randomize();
        matrix.print(*out_);
    }
}

NeuroNet::~NeuroNet() {
    results.reset();
    *out_ << "Neuro result vector was deleted...\n";
    weights.reset();
    *out_ << "Neuro matrixs was deleted...\n";
}

const Vector& NeuroNet::layerInput(std::int32_t g) const {
    return g == 0 ? input : results[at(g - 1)];
}

void NeuroNet::Propagate() {
    for (std::int32_t g = 0; g < layers - 1; ++g) {
        Vector& result = results[at(g)];
        layerInput(g).times(weights[at(g)], result, *out_);
        result.activate(slope, offset, 0);
    }
    *out_ << "Propagate is: ";
    output().print(*out_);
}

std::string NeuroNet::whyTrainingStops(const StepEnd& end) {
    const bool limitMet = !(end.Emax < end.E);
    const bool anotherStepMayMeetIt =
        end.Emax >= end.smallestError && end.weightsChanged && end.step < end.stepLimit;
    if (!std::isnan(end.E) && (limitMet || anotherStepMayMeetIt)) {
        return {};  // the common case, decided without building any text
    }
    std::ostringstream why;
    if (std::isnan(end.E)) {
        why << "the error is not a number";
    } else if (end.Emax < end.smallestError) {
        why << "the target is out of reach: every output lies between " << offset << " and "
            << offset + 1.0 << ", so the error cannot fall below " << end.smallestError
            << " (limit " << end.Emax << ")";
    } else if (!end.weightsChanged) {
        why << "the step changed no weight, so every further step would repeat the error " << end.E
            << " (limit " << end.Emax << ")";
    } else if (end.step >= end.stepLimit) {
        why << "the limit " << end.Emax << " was not met in " << end.step
            << " steps; the last error is " << end.E;
    }
    return why.str();
}

NeuroNet::Outcome NeuroNet::BackPropagate() {
    return BackPropagate(std::cin);
}

NeuroNet::Outcome NeuroNet::BackPropagate(std::istream& in) {
    Outcome outcome;
    std::int32_t step = 1;
    const double eta = (std::rand() % 100) / 100.0;
    const double alpha = 0.2;
    const double Emax = 0.2;
    double E = 0.0;
    std::int32_t tmp = 0;
    const std::int32_t L = layers;

    // The work objects live for the whole call; every step reuses their storage.
    auto Delta = std::make_unique<Vector[]>(at(L - 1));
    auto dWold = std::make_unique<Matrix[]>(at(L - 1));
    auto dW = std::make_unique<Matrix[]>(at(L - 1));
    Vector D;
    Vector TMP;
    Matrix DyDs;
    Vector difference;
    Vector backProduct;

    Propagate();
    const Vector& y = output();
    const std::int32_t n = y.size();
    D.resize(n);
    *out_ << "Enter D vector: ";
    outcome.unreadTarget = D.input(in, *out_);
    const double smallestError = smallestReachableError(D, offset);

    while (step != 0) {
        E = 0.0;
        Propagate();
        if (step == 1) {
            TMP = y;
        }

        // Error term of the output layer: (y - D) times the derivative diagonal, which
        // is taken at the activated values.
        DyDs.resize(n, n);
        DyDs.derivativeDiagonal(y, slope, offset);
        y.minus(D, difference, *out_);
        difference.times(DyDs, Delta[at(L - 2)], *out_);
        Delta[at(L - 2)].print(*out_);

        // Error terms of the other layers, back from the output: the next layer's term
        // times the transposed weights that feed it, times the derivative diagonal. The
        // product with the transpose is formed directly, so the weights are never
        // transposed and need no restoring.
        for (std::int32_t k = L - 3; k >= 0; --k) {
            const std::int32_t m = results[at(k)].size();
            DyDs.resize(m, m);
            DyDs.derivativeDiagonal(results[at(k)], slope, offset);
            Delta[at(k + 1)].timesTransposed(weights[at(k + 1)], backProduct);
            backProduct.times(DyDs, Delta[at(k)], *out_);
        }

        // Weight changes, with the previous step's change carried over.
        for (std::int32_t g = L - 2; g >= 0; --g) {
            const Vector& X = layerInput(g);
            const std::int32_t p = X.size();
            const std::int32_t q = Delta[at(g)].size();
            if (step == 1) {
                dWold[at(g)].resize(p, q);
            } else {
                std::swap(dWold[at(g)], dW[at(g)]);  // the last change becomes the previous
            }
            dW[at(g)].resize(p, q);
            for (std::int32_t i = 0; i < q; ++i) {
                const double share = Delta[at(g)].get(i) * (1 - alpha);
                for (std::int32_t k = 0; k < p; ++k) {
                    dW[at(g)].set(k, i,
                                  (X.get(k) * share + dWold[at(g)].get(k, i) * alpha) * (-eta));
                }
            }
        }

        // Every weight takes its change; the weights before it are the step's own.
        bool weightsChanged = false;
        for (std::int32_t g = 0; g <= L - 2; ++g) {
            if (weights[at(g)].add(dW[at(g)])) {
                weightsChanged = true;
            }
        }

        for (std::int32_t m = 0; m < n; ++m) {
            const double error = y.get(m) - D.get(m);
            E += error * error;
        }

        const std::string stop =
            whyTrainingStops({E, Emax, smallestError, weightsChanged, step, stepLimit});
        if (!stop.empty()) {
            *out_ << "Training stopped: " << stop << std::endl;
            outcome.limitMet = false;
        }
        if (Emax < E && stop.empty()) {
            ++step;
        } else {
            tmp = step;
            step = 0;
        }
    }

    *out_ << std::endl;
    *out_ << "-------------------------------------------------\n";
    *out_ << "BackPropagate is over:\n\n\tFirst step is: ";
    TMP.print(*out_);
    *out_ << "\tD is: ";
    D.print(*out_);
    *out_ << "\tResult is: ";
    y.print(*out_);
    *out_ << "\tEmax is: " << Emax << std::endl;
    *out_ << "\tE is: " << E << std::endl;
    *out_ << "\tNumer of steps: " << tmp << std::endl;
    *out_ << "-------------------------------------------------" << std::endl;
    return outcome;
}
