#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"
#include "net/TrainingState.hpp"
#include "transcript/Contract.hpp"
#include "transcript/StopReason.hpp"

// A fully connected feed-forward network of five layers whose four computed layers get
// their neuron counts and initial weights from std::rand() at construction.
// weights[g] takes the values of layer g (the input for g = 0) to results[g].
class NeuroNet {
  public:
    // What one call of BackPropagate came to.
    struct Outcome {
        bool limitMet = true;
        // The first element of the target that could not be read, if any.
        std::optional<Vector::ReadFailure> unreadTarget;
        // Why training stopped before meeting the limit, if it did; the steps made and the
        // last one's error.
        StopReason stop;
        std::int32_t steps = 0;
        double E = 0;
    };

    // What a training step leaves to be seen once its stop test has decided: for every
    // computed layer its weighted sums, outputs and error terms, the previous step's weight
    // changes (zeros in step 1), this step's, and the weights after its update; the error of
    // the output it started from.
    struct StepRecord {
        std::int32_t step;
        double E;
        bool last;
        std::span<const Vector> sums, outputs, deltas;
        std::span<const Matrix> previousChanges, changes, weights;
        // Step 1's output, which the report prints again.
        const Vector& firstOutput;
    };
    // Training's state after the step, to go on from.
    static TrainingState stateAfter(const StepRecord& r);
    // Once the target has been read, training goes on after the state's step rather than from
    // step 1, and the steps before it write nothing. The state must be one this network came
    // to, with the same target.
    void resumeFrom(TrainingState state) { resumption_ = std::move(state); }
    // Who watches training: told as it begins, with the learning rate drawn, the share alpha
    // of the previous change and the error limit; and after every step.
    struct Watcher {
        std::function<void(double eta, double alpha, double Emax)> begins;
        std::function<void(const StepRecord&)> stepEnds;
    };
    // The weighted sums, which the forward pass otherwise leaves behind, are kept from now
    // on for the watcher's sake.
    void watch(Watcher watcher);
    const Watcher& watcher() const { return watcher_; }

    // Builds the network for its own copy of the input and writes the construction
    // report: the input, the layer count and every weight matrix.
    explicit NeuroNet(Vector inputVector, std::ostream& out);
    explicit NeuroNet(Vector inputVector);
    NeuroNet(const NeuroNet&) = delete;
    NeuroNet& operator=(const NeuroNet&) = delete;
    // Writes the two teardown messages, unless the run is being abandoned by a failure.
    ~NeuroNet();

    // The forward pass: fills every result vector and writes the output line.
    void Propagate();

    // Reads the target vector from `in` and trains until the summed squared error of
    // the output is at most 0.2, writing two lines per step and then a report. Training
    // stops early, with a line that says why, when the limit cannot be met: the target
    // lies out of reach of the outputs, a step changed no weight, the step limit is
    // reached, or the error is not a number. `targetRead` hears of the target as soon as the
    // target's prompts are written, with the first element that could not be read, if any.
    using TargetListener =
        std::function<void(const Vector& target, const std::optional<Vector::ReadFailure>& unread)>;
    Outcome BackPropagate(std::istream& in, const TargetListener& targetRead = {});
    Outcome BackPropagate();

    // At most this many training steps, fewer than the program's own limit.
    void limitSteps(std::int32_t steps) { stepLimit = steps; }

    // What decides, after a training step, whether training goes on.
    struct StepEnd {
        double E;              // the step's summed squared error
        double Emax;           // the error limit
        double smallestError;  // the least error any output allows for the target
        bool weightsChanged;   // whether the step's update changed any weight
        std::int32_t step;     // the step's number, from 1
        std::int32_t stepLimit;
    };
    // Why training must stop after this step without having met the limit; none when the
    // limit was met or another step may still meet it.
    static StopReason whyTrainingStops(const StepEnd& end);

    std::int32_t stepsAtMost() const { return stepLimit; }

    // The activation's slope, and its offset, by which every activated value lies from the
    // lowest output to one more.
    static constexpr double slope = 0.11;
    static constexpr double offset = Contract::lowestOutput;

    std::int32_t layerCount() const { return layers; }
    const Vector& inputVector() const { return input; }
    std::span<const Matrix> weightMatrices() const { return {weights.get(), at(layers - 1)}; }
    const Matrix& weight(std::int32_t g) const { return weights[static_cast<std::size_t>(g)]; }
    const Vector& result(std::int32_t g) const { return results[static_cast<std::size_t>(g)]; }
    const Vector& output() const { return result(layers - 2); }

  private:
    static std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i); }

    struct Work;

    // The values that feed computed layer g.
    const Vector& layerInput(std::int32_t g) const;
    void buildWeights();
    void computeErrorTerms(Work& work);
    void computeWeightChanges(Work& work, bool firstStep, double eta, double alpha);
    bool applyWeightChanges(const Work& work);
    void writeReport(const Work& work, double Emax, double E, std::int32_t steps) const;
    StepRecord recordOf(const Work& work, std::int32_t step, double E, bool last) const;
    // Takes on the state to resume from; returns the step to make next.
    std::int32_t resume(Work& work);

    std::int32_t layers = 0;
    std::unique_ptr<Matrix[]> weights;
    Vector input;
    std::unique_ptr<Vector[]> results;
    std::ostream* out_;
    std::int32_t stepLimit = Contract::stepLimit;
    Watcher watcher_;
    std::unique_ptr<Vector[]> sums_;  // each computed layer's weighted sums, when watched
    std::optional<TrainingState> resumption_;
};
