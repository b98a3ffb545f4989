#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "compare/Mistake.hpp"

// One training step made again from a trace's own numbers, as docs/arithmetic.md sets it out
// (sections 2 to 5, every operation in its order), or with a mistake made in it.
class StepModel {
  public:
    using Numbers = std::vector<double>;
    // A weight matrix: row k holds the weights from neuron k of the layer before.
    using Weights = std::vector<Numbers>;

    // What every step of a run shares: the input, the target, the neuron counts of the five
    // layers, η, α and the activation's slope and offset.
    struct Constants {
        Numbers input, target;
        std::vector<std::size_t> sizes;
        double eta, alpha, slope, offset;
    };

    // Where a step starts: the weights before it, and the previous step's changes.
    struct State {
        std::vector<Weights> weights, changes;
    };

    // What a step makes, as a trace's step line holds it.
    struct Step {
        std::vector<Numbers> s, y, delta;
        std::vector<Weights> dW, W;
        double E = 0;

        State after() const { return {W, dW}; }
        nlohmann::json line(std::int64_t step) const;
    };

    explicit StepModel(Constants constants) : c_(std::move(constants)) {}
    const Constants& constants() const { return c_; }

    // The constants of a reference's "run" and "target" lines; none where they lack one.
    static std::optional<Constants> constantsOf(const nlohmann::json& run,
                                                const nlohmann::json& target);
    // The state before step 1, from the "run" line.
    std::optional<State> initial(const nlohmann::json& run) const;
    // The state after a step, from its line.
    std::optional<State> after(const nlohmann::json& step) const;

    // The step from `start`, with the mistake; none where the mistake cannot be made (the
    // rows and columns of a matrix that is not square swapped).
    std::optional<Step> run(const State& start, const Mistake& mistake) const;

  private:
    std::optional<std::vector<Weights>> matrices(const nlohmann::json& value) const;

    Constants c_;
};
