#include "compare/PlainDiagnosis.hpp"

#include <cmath>
#include <string>

#include "compare/Wording.hpp"
#include "trace/JsonNumber.hpp"

namespace {

using json = nlohmann::json;

std::string text(const json& value) {
    return value.dump();
}

// The sentence for a count that differs.
std::string countSentence(const LineComparison::Difference& d, const json& referenceLine,
                          std::size_t layerCount) {
    const std::string r = text(d.reference), m = text(d.mine);
    if (d.key == "seed") {
        return referenceLine.contains("seed")
                   ? "The reference's run was seeded with " + r + ", yours with " + m +
                         ": they build different networks."
                   : "The reference's run was not seeded, which draws as seed 1; yours was "
                     "seeded with " +
                         m + ".";
    }
    if (d.key == "sizes" && d.path != "sizes") {
        const auto i = std::stoul(d.path.substr(6));
        return i == 0 ? "The reference's input has " + r + " elements, yours " + m + "."
                      : "The reference's " + Wording::layer(i - 1, layerCount) + " has " + r +
                            " neurons, yours " + m + ".";
    }
    if (d.key == "unread") {
        const auto element = [](const json& at) { return "element [" + at.dump() + "]"; };
        const std::string theirs = d.reference.is_null()
                                       ? "The reference read every element of the target"
                                       : "The reference could not read " + element(d.reference) +
                                             " of the target (it and all after it are 0)";
        const std::string ours = d.mine.is_null() ? "yours read every element"
                                                  : "yours could not read " + element(d.mine);
        return theirs + "; " + ours + ".";
    }
    if (d.key == "steps") {
        return "The reference's run made " + r + (r == "1" ? " step" : " steps") + ", yours " + m +
               ".";
    }
    if (d.key == "status") {
        return "The reference's run ended with status " + r + ", yours with " + m + ".";
    }
    if (d.key == "layers") {
        return "The reference's step has " + r + " computed layers, yours " + m + ".";
    }
    return "";
}

// The matrix of the difference's key and layer in a line: W[g] of the run, or a step's
// layers[g].W or layers[g].dW.
const json* matrixOf(const json& line, const LineComparison::Difference& d) {
    if (d.layer) {
        if (!line.contains("layers")) {
            return nullptr;
        }
        const json& layers = line["layers"];
        return layers.is_array() && layers.size() > *d.layer && layers[*d.layer].contains(d.key)
                   ? &layers[*d.layer][d.key]
                   : nullptr;
    }
    if (!d.path.starts_with("W[")) {
        return nullptr;
    }
    const auto g = std::stoul(d.path.substr(2));
    return line.contains("W") && line["W"].is_array() && line["W"].size() > g ? &line["W"][g]
                                                                              : nullptr;
}

bool transposed(const json& reference, const json& mine, const LineComparison::Tolerance& t) {
    if (!reference.is_array() || !mine.is_array() || reference.empty() ||
        !reference[0].is_array() || mine.size() != reference[0].size()) {
        return false;
    }
    for (std::size_t j = 0; j < mine.size(); ++j) {
        if (!mine[j].is_array() || mine[j].size() != reference.size()) {
            return false;
        }
        for (std::size_t k = 0; k < reference.size(); ++k) {
            const auto r = JsonNumber::read(
                reference[k].is_array() && reference[k].size() > j ? reference[k][j] : json());
            const auto m = JsonNumber::read(mine[j][k]);
            if (!r || !m || !t.admits(*r, *m)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::optional<Diagnosis> PlainDiagnosis::of(const LineComparison::Difference& d,
                                            const json& referenceLine, const json& mineLine,
                                            std::size_t layerCount,
                                            const LineComparison::Tolerance& tolerance) {
    Diagnosis diagnosis;
    const auto reference = JsonNumber::read(d.reference);
    const auto count = [](const json& value) { return value.is_number() || value.is_null(); };
    const bool counts = Wording::isCount(d.key) && count(d.reference) && count(d.mine);
    if (counts && !countSentence(d, referenceLine, layerCount).empty()) {
        diagnosis.sentence = countSentence(d, referenceLine, layerCount);
    } else if (d.mine.is_null() && reference && !std::isfinite(*reference)) {
        diagnosis.sentence = "Yours is null where the reference has " + text(d.reference) +
                             ": JSON has no number for it (JavaScript's JSON.stringify writes "
                             "null); write it as the string " +
                             text(d.reference) + ".";
    } else if ((d.key == "W" || d.key == "dW") && matrixOf(referenceLine, d) &&
               matrixOf(mineLine, d) &&
               transposed(*matrixOf(referenceLine, d), *matrixOf(mineLine, d), tolerance)) {
        const std::size_t g = d.layer ? *d.layer : std::stoul(d.path.substr(2));
        diagnosis.mistake = Mistake{Mistake::Kind::swappedForward, g};
        diagnosis.exact = transposed(*matrixOf(referenceLine, d), *matrixOf(mineLine, d), {});
        diagnosis.sentence = "Yours is the reference's matrix of " + Wording::layer(g, layerCount) +
                             " with its rows and columns swapped: the trace's " + d.key +
                             "[k][j] joins neuron k of the layer before to neuron j.";
    } else if (d.reference.is_array() && d.mine.is_array()) {
        diagnosis.sentence = "Yours holds " + std::to_string(d.mine.size()) +
                             " values where the reference holds " +
                             std::to_string(d.reference.size()) + ".";
    } else {
        return std::nullopt;
    }
    return diagnosis;
}
