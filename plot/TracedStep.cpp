#include "plot/TracedStep.hpp"

#include <cmath>
#include <string>

#include "trace/JsonNumber.hpp"

namespace {

bool isKind(const nlohmann::json& line, const char* kind) {
    return line.at("kind") == kind;
}

}  // namespace

TracedStep::TracedStep(TraceLines& lines, const std::vector<std::int32_t>& layerSizes,
                       std::int64_t step)
    : lines_(lines), layerSizes_(layerSizes) {
    view_.step = step;
    const auto first = lines_.next();
    if (!first || !isKind(*first, "run")) {
        lines_.unusable("expected the \"run\" line first");
    }
    readRun(*first);
    const std::string expected = "expected step " + std::to_string(step) + ", found ";
    // Steps come in order: one beyond the step wanted ends the search.
    for (auto line = lines_.next(); line; line = lines_.next()) {
        if (isKind(*line, "target")) {
            readTarget(*line);
        } else if (isKind(*line, "step")) {
            const std::int64_t number = *TraceLines::wholeNumber(*line, "step");
            if (number == step) {
                readStep(*line);
                return;
            }
            if (number > step) {
                lines_.unusable(expected + "step " + line->at("step").dump());
            }
        }
    }
    lines_.unusable(expected + "the end of the trace");
}

void TracedStep::readRun(const nlohmann::json& line) {
    const auto sizes = line.find("sizes");
    if (sizes == line.end() || *sizes != nlohmann::json(layerSizes_)) {
        lines_.unusable("expected the transcript's \"sizes\", " +
                        nlohmann::json(layerSizes_).dump());
    }
}

void TracedStep::readTarget(const nlohmann::json& line) {
    const auto target = line.find("D");
    const auto outputs = static_cast<std::size_t>(layerSizes_.back());
    target_.clear();
    if (target != line.end() && target->is_array() && target->size() == outputs) {
        for (const auto& element : *target) {
            if (const auto d = JsonNumber::read(element); d && std::isfinite(*d)) {
                target_.push_back(*d);
            }
        }
    }
    if (target_.size() != outputs) {
        lines_.unusable("expected \"D\", one finite number per output neuron");
    }
}

void TracedStep::readStep(const nlohmann::json& line) {
    const auto layers = line.find("layers");
    const std::size_t count = layerSizes_.size() - 1;
    bool shaped = layers != line.end() && layers->is_array() && layers->size() == count;
    for (std::size_t g = 0; shaped && g < count; ++g) {
        shaped = readMatrix((*layers)[g], "W", g, view_.weights) &&
                 readMatrix((*layers)[g], "dW", g, view_.changes);
    }
    if (const auto E = line.find("E"); E != line.end()) {
        view_.E = JsonNumber::read(*E);
    }
    if (!shaped) {
        lines_.unusable("expected \"W\" and \"dW\" of the " + std::to_string(count) +
                        " computed layers, numbers shaped by \"sizes\"");
    }
}

bool TracedStep::readMatrix(const nlohmann::json& layer, const char* key, std::size_t g,
                            std::vector<std::vector<std::vector<double>>>& into) const {
    const auto matrix = layer.find(key);
    const auto rows = static_cast<std::size_t>(layerSizes_[g]);
    const auto columns = static_cast<std::size_t>(layerSizes_[g + 1]);
    if (matrix == layer.end() || !matrix->is_array() || matrix->size() != rows) {
        return false;
    }
    auto& values = into.emplace_back();
    for (const auto& row : *matrix) {
        if (!row.is_array() || row.size() != columns) {
            return false;
        }
        auto& numbers = values.emplace_back();
        for (const auto& element : row) {
            const auto number = JsonNumber::read(element);
            if (!number) {
                return false;
            }
            numbers.push_back(*number);
        }
    }
    return true;
}
