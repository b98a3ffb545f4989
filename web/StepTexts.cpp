#include "web/StepTexts.hpp"

#include <string_view>

#include <nlohmann/json.hpp>

#include "net/WeightChange.hpp"
#include "trace/JsonNumber.hpp"
#include "transcript/ElementText.hpp"
#include "transcript/StreamedNumber.hpp"

namespace {

using nlohmann::json;

// The exact text without the quotes JSON puts round NaN and the infinities, and the console's
// without its padding and space.
json texts(double x) {
    char exact[JsonNumber::longest];
    std::string_view shortest(exact, JsonNumber::write(x, exact));
    if (shortest.starts_with('"')) {
        shortest = shortest.substr(1, shortest.size() - 2);
    }
    char printed[ElementText::longest + 1];
    std::string_view console(printed, ElementText::write(x, printed));
    console.remove_suffix(1);
    console.remove_prefix(console.find_first_not_of(' '));
    return json::array({shortest, console});
}

json row(std::span<const double> values) {
    json out = json::array();
    for (const double x : values) {
        out.push_back(texts(x));
    }
    return out;
}

// A matrix, each element made by `made` from its row and column.
template <typename Made>
json table(std::int32_t rows, std::int32_t cols, Made made) {
    json out = json::array();
    for (std::int32_t i = 0; i < rows; ++i) {
        json line = json::array();
        for (std::int32_t j = 0; j < cols; ++j) {
            line.push_back(texts(made(i, j)));
        }
        out.push_back(std::move(line));
    }
    return out;
}

json table(const Matrix& m) {
    return table(m.rows(), m.cols(), [&m](std::int32_t i, std::int32_t j) { return m.get(i, j); });
}

json vectorOf(std::int32_t size, auto made) {
    json out = json::array();
    for (std::int32_t j = 0; j < size; ++j) {
        out.push_back(texts(made(j)));
    }
    return out;
}

// The terms of a weight's change, as NeuroNet forms them: the error term's share, its product
// with the input value, the previous change's share, and their sum.
void weightChangeTerms(json& layer, const Vector& X, const Vector& delta, const Matrix& previous,
                       double alpha) {
    const auto share = [&](std::int32_t j) { return WeightChange::share(delta.get(j), alpha); };
    const auto fromInput = [&](std::int32_t i, std::int32_t j) {
        return WeightChange::fromInput(X.get(i), share(j));
    };
    const auto carried = [&](std::int32_t i, std::int32_t j) {
        return WeightChange::carried(previous.get(i, j), alpha);
    };
    layer["share"] = vectorOf(delta.size(), share);
    layer["fromInput"] = table(X.size(), delta.size(), fromInput);
    layer["carried"] = table(X.size(), delta.size(), carried);
    layer["sum"] = table(X.size(), delta.size(), [&](std::int32_t i, std::int32_t j) {
        return WeightChange::sum(fromInput(i, j), carried(i, j));
    });
}

// A hidden layer's error sum: for neuron j, the terms δₖ · Wⱼₖ over the layer above, with the
// weights before the update, and their sum as the network forms it.
void errorSumTerms(json& layer, const Vector& deltaAbove, const Matrix& weightsAbove) {
    layer["terms"] = table(
        weightsAbove.rows(), weightsAbove.cols(),
        [&](std::int32_t j, std::int32_t k) { return deltaAbove.get(k) * weightsAbove.get(j, k); });
    Vector sums;
    deltaAbove.timesTransposed(weightsAbove, sums);
    layer["errorSum"] = row(sums.elements());
}

}  // namespace

std::string StepTexts::pair(double x) {
    return texts(x).dump();
}

std::string StepTexts::of(const NeuroNet::StepRecord& r, std::span<const Matrix> before,
                          const Training& training, std::optional<double> previousE) {
    const bool explained = !before.empty();
    const std::size_t computed = r.weights.size();
    json step{{"step", r.step},
              {"E", texts(r.E)},
              {"Eprinted", StreamedNumber::text(r.E)},
              {"explained", explained},
              {"input", row(training.input.elements())},
              {"target", row(training.target.elements())}};
    if (previousE) {
        step["previousE"] = texts(*previousE);
        step["fall"] = texts(*previousE - r.E);
    }
    json layers = json::array();
    for (std::size_t g = 0; g < computed; ++g) {
        const Vector& y = r.outputs[g];
        json layer{{"s", row(r.sums[g].elements())},
                   {"y", row(y.elements())},
                   {"delta", row(r.deltas[g].elements())},
                   {"slopeAt", vectorOf(y.size(),
                                        [&](std::int32_t j) {
                                            return Matrix::derivativeAt(y.get(j), training.slope);
                                        })},
                   {"W", table(r.weights[g])},
                   {"dW", table(r.changes[g])}};
        if (g + 1 == computed) {
            layer["difference"] = vectorOf(
                y.size(), [&](std::int32_t j) { return y.get(j) - training.target.get(j); });
        }
        if (explained) {
            const Vector& X = g == 0 ? training.input : r.outputs[g - 1];
            layer["Wbefore"] = table(before[g]);
            layer["P"] = table(r.previousChanges[g]);
            weightChangeTerms(layer, X, r.deltas[g], r.previousChanges[g], training.alpha);
            if (g + 1 < computed) {
                errorSumTerms(layer, r.deltas[g + 1], before[g + 1]);
            }
        }
        layers.push_back(std::move(layer));
    }
    step["layers"] = std::move(layers);
    return step.dump();
}
