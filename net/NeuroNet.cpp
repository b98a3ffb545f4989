#include "net/NeuroNet.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "net/WeightChange.hpp"
#include "transcript/StreamedNumber.hpp"

namespace {

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

// The summed squared difference of output and target, over the elements in order.
double squaredError(const Vector& y, const Vector& target) {
    double error = 0.0;
    for (std::int32_t m = 0; m < y.size(); ++m) {
        const double difference = y.get(m) - target.get(m);
        error += difference * difference;
    }
    return error;
}

}  // namespace

NeuroNet::NeuroNet(Vector inputVector) : NeuroNet(std::move(inputVector), std::cout) {}

NeuroNet::NeuroNet(Vector inputVector, std::ostream& out) : out_(&out) {
    layers = Contract::layerCount;
    results = std::make_unique<Vector[]>(at(layers - 1));
    input = inputVector;
    input.print(*out_);
    *out_ << Contract::layerCountStart << layers << Contract::layerCountEnd << '\n';
    weights = std::make_unique<Matrix[]>(at(layers - 1));
    buildWeights();
}

// Each matrix draws its column count, from 0 to the widest its layer may be, then its
// elements, and is printed before the next one is sized: the order of the draws is part of
// the program's behaviour.
void NeuroNet::buildWeights() {
    for (std::int32_t g = 0; g < layers - 1; ++g) {
        const int draw = std::rand();
        const std::int32_t cols =
            draw % ((g == 0 ? Contract::widestFirstLayer : Contract::widestLayer) + 1);
        const std::int32_t rows = g == 0 ? input.size() : weights[at(g - 1)].cols();
        Matrix& matrix = weights[at(g)];
        matrix.resize(rows, cols);
        matrix.randomize();
        matrix.print(*out_);
    }
}

NeuroNet::~NeuroNet() {
    // A failure on its way out (memory, or the console itself) ends the run where it
    // arose: nothing more is said.
    const bool abandoned = std::uncaught_exceptions() > 0;
    results.reset();
    if (!abandoned) {
        *out_ << Contract::resultsFarewell << '\n';
    }
    weights.reset();
    if (!abandoned) {
        *out_ << Contract::weightsFarewell << '\n';
    }
}

const Vector& NeuroNet::layerInput(std::int32_t g) const {
    return g == 0 ? input : results[at(g - 1)];
}

void NeuroNet::Propagate() {
    for (std::int32_t g = 0; g < layers - 1; ++g) {
        Vector& result = results[at(g)];
        layerInput(g).times(weights[at(g)], result, *out_);
        if (sums_) {
            sums_[at(g)] = result;
        }
        result.activate(slope, offset, 0);
    }
    *out_ << Contract::propagate;
    output().print(*out_);
}

StopReason NeuroNet::whyTrainingStops(const StepEnd& end) {
    using Kind = StopReason::Kind;
    const bool limitMet = !(end.Emax < end.E);
    const bool anotherStepMayMeetIt =
        end.Emax >= end.smallestError && end.weightsChanged && end.step < end.stepLimit;
    Kind kind = Kind::none;
    if (std::isnan(end.E)) {
        kind = Kind::notANumber;
    } else if (limitMet || anotherStepMayMeetIt) {
        kind = Kind::none;
    } else if (end.Emax < end.smallestError) {
        kind = Kind::outOfReach;
    } else if (!end.weightsChanged) {
        kind = Kind::unchanged;
    } else if (end.step >= end.stepLimit) {
        kind = Kind::stepLimit;
    }
    return {kind, end.E, end.Emax, end.smallestError, end.step};
}

NeuroNet::Outcome NeuroNet::BackPropagate() {
    return BackPropagate(std::cin);
}

// The work objects of one training call. They live for the whole call, and every step
// reuses their storage.
struct NeuroNet::Work {
    explicit Work(std::int32_t computedLayers)
        : Delta(std::make_unique<Vector[]>(at(computedLayers))),
          dWold(std::make_unique<Matrix[]>(at(computedLayers))),
          dW(std::make_unique<Matrix[]>(at(computedLayers))) {}

    std::unique_ptr<Vector[]> Delta;  // the error term of every computed layer
    std::unique_ptr<Matrix[]> dWold;  // the previous step's weight changes
    std::unique_ptr<Matrix[]> dW;     // this step's weight changes
    Vector D;                         // the target
    Vector TMP;                       // the first step's output, for the report
    Matrix DyDs;                      // the derivative diagonal of one layer
    Vector difference;                // the output minus the target
    Vector backProduct;               // an error term times transposed weights
};

void NeuroNet::watch(Watcher watcher) {
    watcher_ = std::move(watcher);
    sums_ = std::make_unique<Vector[]>(at(layers - 1));
}

NeuroNet::StepRecord NeuroNet::recordOf(const Work& work, std::int32_t step, double E,
                                        bool last) const {
    const auto computed = at(layers - 1);
    return {step,
            E,
            last,
            {sums_.get(), computed},
            {results.get(), computed},
            {work.Delta.get(), computed},
            {work.dWold.get(), computed},
            {work.dW.get(), computed},
            {weights.get(), computed},
            work.TMP};
}

TrainingState NeuroNet::stateAfter(const StepRecord& r) {
    TrainingState state{r.step, {}, {}, r.firstOutput};
    state.weights.resize(r.weights.size());
    state.changes.resize(r.changes.size());
    std::copy(r.weights.begin(), r.weights.end(), state.weights.begin());
    std::copy(r.changes.begin(), r.changes.end(), state.changes.begin());
    return state;
}

std::int32_t NeuroNet::resume(Work& work) {
    for (std::int32_t g = 0; g < layers - 1; ++g) {
        weights[at(g)] = resumption_->weights[at(g)];
        work.dW[at(g)] = resumption_->changes[at(g)];
    }
    work.TMP = resumption_->firstOutput;
    const std::int32_t next = resumption_->step + 1;
    resumption_.reset();
    return next;
}

NeuroNet::Outcome NeuroNet::BackPropagate(std::istream& in, const TargetListener& targetRead) {
    Outcome outcome;
    std::int32_t step = 1;
    const double eta = (std::rand() % 100) / 100.0;
    const double alpha = 0.2;
    const double Emax = Contract::errorLimit;
    double E = 0.0;
    std::int32_t tmp = 0;
    Work work(layers - 1);
    if (watcher_.begins) {
        watcher_.begins(eta, alpha, Emax);
    }

    Propagate();
    const Vector& y = output();
    work.D.resize(y.size());
    *out_ << Contract::targetPrompt;
    outcome.unreadTarget = work.D.input(in, *out_);
    if (targetRead) {
        targetRead(work.D, outcome.unreadTarget);
    }
    const double smallestError = smallestReachableError(work.D, offset);
    if (resumption_) {
        step = resume(work);
    }

    while (step != 0) {
        Propagate();
        if (step == 1) {
            work.TMP = y;
        }
        computeErrorTerms(work);
        computeWeightChanges(work, step == 1, eta, alpha);
        const bool weightsChanged = applyWeightChanges(work);
        // The error of the output this step started from, before its update.
        E = squaredError(y, work.D);

        const StopReason stop =
            whyTrainingStops({E, Emax, smallestError, weightsChanged, step, stepLimit});
        if (stop.stopped()) {
            *out_ << Contract::stopped << stop.words() << std::endl;
            outcome.limitMet = false;
            outcome.stop = stop;
        }
        const bool last = !(Emax < E) || stop.stopped();
        if (watcher_.stepEnds) {
            watcher_.stepEnds(recordOf(work, step, E, last));
        }
        if (!last) {
            ++step;
        } else {
            tmp = step;
            step = 0;
        }
    }
    writeReport(work, Emax, E, tmp);
    outcome.steps = tmp;
    outcome.E = E;
    return outcome;
}

// The error terms from the output layer back to the first computed layer, each the
// layer's error times its derivative diagonal, taken at the activated values. Writes
// the output layer's term.
void NeuroNet::computeErrorTerms(Work& work) {
    const Vector& y = output();
    Vector& outputDelta = work.Delta[at(layers - 2)];
    work.DyDs.resize(y.size(), y.size());
    work.DyDs.derivativeDiagonal(y, slope, offset);
    y.minus(work.D, work.difference, *out_);
    work.difference.times(work.DyDs, outputDelta, *out_);
    outputDelta.print(*out_);

    // A hidden layer's error is the next layer's term times the transposed weights that
    // feed it. The product with the transpose is formed directly, so the weights are
    // never transposed and need no restoring.
    for (std::int32_t k = layers - 3; k >= 0; --k) {
        const Vector& values = results[at(k)];
        work.DyDs.resize(values.size(), values.size());
        work.DyDs.derivativeDiagonal(values, slope, offset);
        work.Delta[at(k + 1)].timesTransposed(weights[at(k + 1)], work.backProduct);
        work.backProduct.times(work.DyDs, work.Delta[at(k)], *out_);
    }
}

// Every weight's change: its share of the layer's error term for its input value, plus
// alpha times the previous step's change, all times the negated learning rate.
void NeuroNet::computeWeightChanges(Work& work, bool firstStep, double eta, double alpha) {
    for (std::int32_t g = layers - 2; g >= 0; --g) {
        const Vector& X = layerInput(g);
        const Vector& delta = work.Delta[at(g)];
        Matrix& dWold = work.dWold[at(g)];
        Matrix& dW = work.dW[at(g)];
        if (firstStep) {
            dWold.resize(X.size(), delta.size());
        } else {
            std::swap(dWold, dW);  // the last change becomes the previous one
        }
        dW.resize(X.size(), delta.size());
        for (std::int32_t i = 0; i < delta.size(); ++i) {
            const double share = WeightChange::share(delta.get(i), alpha);
            for (std::int32_t k = 0; k < X.size(); ++k) {
                const double sum = WeightChange::sum(WeightChange::fromInput(X.get(k), share),
                                                     WeightChange::carried(dWold.get(k, i), alpha));
                dW.set(k, i, WeightChange::change(sum, eta));
            }
        }
    }
}

// Adds every change to its weight; returns whether any weight changed.
bool NeuroNet::applyWeightChanges(const Work& work) {
    bool changed = false;
    for (std::int32_t g = 0; g <= layers - 2; ++g) {
        if (weights[at(g)].add(work.dW[at(g)])) {
            changed = true;
        }
    }
    return changed;
}

void NeuroNet::writeReport(const Work& work, double Emax, double E, std::int32_t steps) const {
    *out_ << std::endl;
    *out_ << Contract::rule << '\n';
    *out_ << Contract::reportTitle << "\n\n" << Contract::firstStepLabel;
    work.TMP.print(*out_);
    *out_ << Contract::targetLabel;
    work.D.print(*out_);
    *out_ << Contract::resultLabel;
    output().print(*out_);
    *out_ << Contract::limitLabel;
    StreamedNumber::write(*out_, Emax);
    *out_ << std::endl;
    *out_ << Contract::errorLabel;
    StreamedNumber::write(*out_, E);
    *out_ << std::endl;
    *out_ << Contract::stepsLabel << steps << std::endl;
    *out_ << Contract::rule << std::endl;
}
