#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"

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
    };

    // Builds the network for its own copy of the input and writes the construction
    // report: the input, the layer count and every weight matrix.
    explicit NeuroNet(Vector inputVector, std::ostream& out);
    explicit NeuroNet(Vector inputVector);
    NeuroNet(const NeuroNet&) = delete;
    NeuroNet& operator=(const NeuroNet&) = delete;
    // Writes the two teardown messages.
    ~NeuroNet();

    // The forward pass: fills every result vector and writes the output line.
    void Propagate();

    // Reads the target vector from `in` and trains until the summed squared error of
    // the output is at most 0.2, writing two lines per step and then a report.
    Outcome BackPropagate(std::istream& in);
    Outcome BackPropagate();

    std::int32_t layerCount() const { return layers; }
    const Matrix& weight(std::int32_t g) const { return weights[static_cast<std::size_t>(g)]; }
    const Vector& result(std::int32_t g) const { return results[static_cast<std::size_t>(g)]; }
    const Vector& output() const { return result(layers - 2); }

  private:
    static constexpr double slope = 0.11;
    static constexpr double offset = 0.11;

    // The values that feed computed layer g.
    const Vector& layerInput(std::int32_t g) const;
    void buildWeights();

    std::int32_t layers = 0;
    std::unique_ptr<Matrix[]> weights;
    Vector input;
    std::unique_ptr<Vector[]> results;
    std::ostream* out_;
};
