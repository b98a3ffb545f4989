#include "web/PageCheckpoint.hpp"

#include <algorithm>

namespace {

void append(std::vector<double>& values, const Matrix& m) {
    values.push_back(m.rows());
    values.push_back(m.cols());
    values.insert(values.end(), m.elements().begin(), m.elements().end());
}

// Reads the doubles in the order append() wrote them; fails on any that are missing or do not
// fit the shape they should have.
class Cursor {
  public:
    explicit Cursor(std::span<const double> values) : values_(values) {}

    std::optional<double> next() {
        if (at_ == values_.size()) {
            return std::nullopt;
        }
        return values_[at_++];
    }
    bool matrix(Matrix& m, const Matrix& shape) {
        const auto rows = next();
        const auto cols = next();
        if (rows != shape.rows() || cols != shape.cols() ||
            values_.size() - at_ < shape.elements().size()) {
            return false;
        }
        m.resize(shape.rows(), shape.cols());
        for (std::int32_t i = 0; i < shape.rows(); ++i) {
            for (std::int32_t j = 0; j < shape.cols(); ++j) {
                m.set(i, j, values_[at_++]);
            }
        }
        return true;
    }
    bool atEnd() const { return at_ == values_.size(); }

  private:
    std::span<const double> values_;
    std::size_t at_ = 0;
};

}  // namespace

std::vector<double> PageCheckpoint::encoded() const {
    std::vector<double> values{static_cast<double>(training.step), static_cast<double>(lines),
                               static_cast<double>(stride),
                               static_cast<double>(training.firstOutput.size())};
    const auto first = training.firstOutput.elements();
    values.insert(values.end(), first.begin(), first.end());
    for (const Matrix& w : training.weights) {
        append(values, w);
    }
    for (const Matrix& c : training.changes) {
        append(values, c);
    }
    return values;
}

std::optional<PageCheckpoint> PageCheckpoint::decoded(std::span<const double> values,
                                                      std::span<const Matrix> weights) {
    Cursor cursor(values);
    PageCheckpoint checkpoint;
    const auto step = cursor.next();
    const auto lines = cursor.next();
    const auto stride = cursor.next();
    const auto outputs = cursor.next();
    const auto outputCount = weights.empty() ? 0 : weights.back().cols();
    if (!step || *step < 1 || !lines || !stride || *stride < 1 || outputs != outputCount) {
        return std::nullopt;
    }
    checkpoint.training.step = static_cast<std::int32_t>(*step);
    checkpoint.lines = static_cast<std::int64_t>(*lines);
    checkpoint.stride = static_cast<std::int64_t>(*stride);
    checkpoint.training.firstOutput.resize(outputCount);
    for (std::int32_t i = 0; i < outputCount; ++i) {
        const auto value = cursor.next();
        if (!value) {
            return std::nullopt;
        }
        checkpoint.training.firstOutput.set(i, *value);
    }
    for (auto* matrices : {&checkpoint.training.weights, &checkpoint.training.changes}) {
        matrices->resize(weights.size());
        for (std::size_t g = 0; g < weights.size(); ++g) {
            if (!cursor.matrix((*matrices)[g], weights[g])) {
                return std::nullopt;
            }
        }
    }
    if (!cursor.atEnd()) {
        return std::nullopt;
    }
    return checkpoint;
}

std::vector<double> PageCheckpoint::encodedSteps(std::span<const Transcript::Step> steps,
                                                 std::size_t outputs) {
    std::vector<double> values;
    for (const Transcript::Step& step : steps) {
        values.push_back(static_cast<double>(step.number));
        values.insert(values.end(), step.output.begin(),
                      step.output.begin() + static_cast<std::ptrdiff_t>(outputs));
    }
    return values;
}

std::vector<Transcript::Step> PageCheckpoint::decodedSteps(std::span<const double> values,
                                                           std::size_t outputs) {
    std::vector<Transcript::Step> steps;
    for (std::size_t at = 0; at + outputs < values.size(); at += outputs + 1) {
        Transcript::Step step{static_cast<std::int64_t>(values[at]), {}};
        std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(at + 1), outputs,
                    step.output.begin());
        steps.push_back(step);
    }
    return steps;
}
