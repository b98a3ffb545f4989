#include "compare/StepModel.hpp"

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"
#include "net/WeightChange.hpp"
#include "trace/JsonNumber.hpp"

namespace {

using Numbers = StepModel::Numbers;
using Weights = StepModel::Weights;
using Kind = Mistake::Kind;

std::optional<Numbers> numbersOf(const nlohmann::json& value, std::size_t count) {
    if (!value.is_array() || value.size() != count) {
        return std::nullopt;
    }
    Numbers numbers;
    for (const auto& element : value) {
        const auto number = JsonNumber::read(element);
        if (!number) {
            return std::nullopt;
        }
        numbers.push_back(*number);
    }
    return numbers;
}

std::optional<double> numberOf(const nlohmann::json& line, const char* key) {
    return line.contains(key) ? JsonNumber::read(line[key]) : std::nullopt;
}

// The activation's derivative at every element, as the network takes it.
Numbers derivatives(const Numbers& at, double slope) {
    Numbers f;
    for (const double v : at) {
        f.push_back(Matrix::derivativeAt(v, slope));
    }
    return f;
}

// v times the diagonal matrix of f, as a full vector-by-matrix product: zeros and all.
Numbers timesDiagonal(const Numbers& v, const Numbers& f) {
    Numbers product;
    for (std::size_t i = 0; i < v.size(); ++i) {
        double sum = 0.0;
        for (std::size_t j = 0; j < v.size(); ++j) {
            sum = sum + v[j] * (j == i ? f[i] : 0.0);
        }
        product.push_back(sum);
    }
    return product;
}

bool square(const Weights& w) {
    return w.empty() || w.size() == w[0].size();
}

}  // namespace

nlohmann::json StepModel::Step::line(std::int64_t step) const {
    nlohmann::json layers = nlohmann::json::array();
    for (std::size_t g = 0; g < s.size(); ++g) {
        layers.push_back(
            {{"s", s[g]}, {"y", y[g]}, {"delta", delta[g]}, {"dW", dW[g]}, {"W", W[g]}});
    }
    return {{"kind", "step"}, {"step", step}, {"E", E}, {"layers", layers}};
}

std::optional<StepModel::Constants> StepModel::constantsOf(const nlohmann::json& run,
                                                           const nlohmann::json& target) {
    if (!run.contains("sizes") || !run["sizes"].is_array() || run["sizes"].size() < 2) {
        return std::nullopt;
    }
    Constants c;
    for (const auto& size : run["sizes"]) {
        if (!size.is_number_unsigned()) {
            return std::nullopt;
        }
        c.sizes.push_back(size.get<std::size_t>());
    }
    const auto input = run.contains("input") ? numbersOf(run["input"], c.sizes[0]) : std::nullopt;
    const auto D = target.contains("D") ? numbersOf(target["D"], c.sizes.back()) : std::nullopt;
    const auto eta = numberOf(run, "eta"), alpha = numberOf(run, "alpha");
    const auto slope = numberOf(run, "slope"), offset = numberOf(run, "offset");
    if (!input || !D || !eta || !alpha || !slope || !offset) {
        return std::nullopt;
    }
    c.input = *input;
    c.target = *D;
    c.eta = *eta;
    c.alpha = *alpha;
    c.slope = *slope;
    c.offset = *offset;
    return c;
}

std::optional<std::vector<Weights>> StepModel::matrices(const nlohmann::json& value) const {
    if (!value.is_array() || value.size() + 1 != c_.sizes.size()) {
        return std::nullopt;
    }
    std::vector<Weights> all;
    for (std::size_t g = 0; g < value.size(); ++g) {
        if (!value[g].is_array() || value[g].size() != c_.sizes[g]) {
            return std::nullopt;
        }
        Weights& w = all.emplace_back();
        for (const auto& row : value[g]) {
            const auto numbers = numbersOf(row, c_.sizes[g + 1]);
            if (!numbers) {
                return std::nullopt;
            }
            w.push_back(*numbers);
        }
    }
    return all;
}

std::optional<StepModel::State> StepModel::initial(const nlohmann::json& run) const {
    auto weights = run.contains("W") ? matrices(run["W"]) : std::nullopt;
    if (!weights) {
        return std::nullopt;
    }
    State state{*weights, *weights};
    for (Weights& w : state.changes) {
        for (Numbers& row : w) {
            row.assign(row.size(), 0.0);
        }
    }
    return state;
}

std::optional<StepModel::State> StepModel::after(const nlohmann::json& step) const {
    if (!step.contains("layers") || !step["layers"].is_array()) {
        return std::nullopt;
    }
    nlohmann::json W = nlohmann::json::array(), dW = nlohmann::json::array();
    for (const auto& layer : step["layers"]) {
        if (!layer.is_object() || !layer.contains("W") || !layer.contains("dW")) {
            return std::nullopt;
        }
        W.push_back(layer["W"]);
        dW.push_back(layer["dW"]);
    }
    auto weights = matrices(W);
    auto changes = matrices(dW);
    if (!weights || !changes) {
        return std::nullopt;
    }
    return State{std::move(*weights), std::move(*changes)};
}

std::optional<StepModel::Step> StepModel::run(const State& start, const Mistake& mistake) const {
    const std::size_t L = c_.sizes.size() - 1;
    const auto on = [&mistake](Kind kind, std::size_t g) {
        return mistake.kind == kind && mistake.layers == g;
    };
    const auto notUpdated = [&mistake](std::size_t g) {
        return mistake.kind == Kind::layersNotUpdated && (mistake.layers >> g & 1) != 0;
    };
    const std::vector<Weights>& W = start.weights;
    Step step;
    step.s.reserve(L);
    step.y.reserve(L);  // X points into it
    // The forward pass.
    std::vector<const Numbers*> X;
    for (std::size_t g = 0; g < L; ++g) {
        X.push_back(g == 0 ? &c_.input : &step.y[g - 1]);
        const bool swapped = on(Kind::swappedForward, g);
        if (swapped && !square(W[g])) {
            return std::nullopt;
        }
        Numbers& s = step.s.emplace_back();
        Numbers& y = step.y.emplace_back();
        for (std::size_t j = 0; j < c_.sizes[g + 1]; ++j) {
            double sum = 0.0;
            for (std::size_t k = 0; k < c_.sizes[g]; ++k) {
                sum = sum + (*X[g])[k] * (swapped ? W[g][j][k] : W[g][k][j]);
            }
            s.push_back(sum);
            y.push_back(Vector::activation(sum, c_.slope, c_.offset));
        }
    }
    // The error terms from the output layer back, each layer's changes and update as soon as
    // its error terms are known.
    const double eta = mistake.kind == Kind::eta ? mistake.value : c_.eta;
    const double alpha = mistake.kind == Kind::alpha ? mistake.value : c_.alpha;
    const double carried =
        mistake.kind == Kind::alpha || mistake.kind == Kind::carryAlpha ? mistake.value : c_.alpha;
    step.delta.resize(L);
    step.dW.resize(L);
    step.W.resize(L);
    for (std::size_t g = L; g-- > 0;) {
        Numbers back;
        if (g + 1 == L) {
            for (std::size_t m = 0; m < c_.sizes[L]; ++m) {
                back.push_back(mistake.kind == Kind::errorSignTurned ? c_.target[m] - step.y[g][m]
                                                                     : step.y[g][m] - c_.target[m]);
            }
        } else {
            const Weights& through = on(Kind::updatedWeightsBack, g + 1) ? step.W[g + 1] : W[g + 1];
            const bool swapped = on(Kind::swappedBack, g + 1);
            if (swapped && !square(through)) {
                return std::nullopt;
            }
            for (std::size_t i = 0; i < c_.sizes[g + 1]; ++i) {
                double sum = 0.0;
                for (std::size_t j = 0; j < c_.sizes[g + 2]; ++j) {
                    sum = sum + step.delta[g + 1][j] * (swapped ? through[j][i] : through[i][j]);
                }
                back.push_back(sum);
            }
        }
        const Numbers& at = mistake.kind == Kind::derivativeAtSums ? step.s[g] : step.y[g];
        step.delta[g] = timesDiagonal(back, derivatives(at, c_.slope));
        step.dW[g] = W[g];
        step.W[g] = W[g];
        for (std::size_t k = 0; k < c_.sizes[g]; ++k) {
            for (std::size_t i = 0; i < c_.sizes[g + 1]; ++i) {
                const double x = (*X[g])[k], d = step.delta[g][i], P = start.changes[g][k][i];
                const double fromInput = WeightChange::fromInput(x, WeightChange::share(d, alpha));
                double change = WeightChange::change(
                    WeightChange::sum(fromInput, WeightChange::carried(P, carried)), eta);
                if (notUpdated(g)) {
                    change = 0.0;
                } else if (mistake.kind == Kind::shareLeftOut) {
                    change = WeightChange::change(
                        WeightChange::sum(x * d, WeightChange::carried(P, alpha)), eta);
                } else if (mistake.kind == Kind::carrySignTurned) {
                    change = WeightChange::change(fromInput - WeightChange::carried(P, alpha), eta);
                } else if (mistake.kind == Kind::carryWithoutEta) {
                    change = WeightChange::change(fromInput, eta) + WeightChange::carried(P, alpha);
                }
                step.dW[g][k][i] = change;
                step.W[g][k][i] = notUpdated(g) ? W[g][k][i] : W[g][k][i] + change;
            }
        }
    }
    for (std::size_t m = 0; m < c_.sizes[L]; ++m) {
        const double difference = step.y[L - 1][m] - c_.target[m];
        step.E = step.E + difference * difference;
    }
    return step;
}
