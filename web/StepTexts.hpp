#pragma once

#include <optional>
#include <span>
#include <string>

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"
#include "net/NeuroNet.hpp"

// Every number of a held step as the page shows it, written here so that the page writes no
// number itself: each as a pair of texts, exact (the trace's) and as the console prints it.
// Beside the step's own numbers, those its explanation forms from them, each by the program's
// own operations in the program's order: a weight change's terms, and a hidden layer's error
// sum over the layer above. A JSON object; the weights before the update and the previous
// changes come only with them, which the explanation needs.
class StepTexts {
  public:
    struct Training {
        const Vector& input;
        const Vector& target;
        double eta, alpha, slope;
    };

    // `before`: the weights before the step's update, or none; `previousE`: the error of the
    // step before, if known.
    static std::string of(const NeuroNet::StepRecord& r, std::span<const Matrix> before,
                          const Training& training, std::optional<double> previousE);

    // A number's two texts, as a JSON array.
    static std::string pair(double x);
};
