#include "compare/MistakeSearch.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#define FMT_HEADER_ONLY
#include <fmt/format.h>

#include "compare/Wording.hpp"
#include "trace/JsonNumber.hpp"

namespace {

using Kind = Mistake::Kind;
using json = nlohmann::json;

// The numbers in a path's brackets: 3 and 0 of "layers[3].delta[0]".
std::vector<std::size_t> indicesOf(const std::string& path) {
    std::vector<std::size_t> indices;
    for (std::size_t at = path.find('['); at != path.npos; at = path.find('[', at + 1)) {
        indices.push_back(std::stoul(path.substr(at + 1)));
    }
    return indices;
}

// The value at a path of a line: "layers[3].delta[0]" is /layers/3/delta/0.
const json* valueAt(const json& line, const std::string& path) {
    std::string pointer = "/";
    for (const char c : path) {
        pointer += c == '[' || c == '.' ? "/" : c == ']' ? "" : std::string(1, c);
    }
    const json::json_pointer at(pointer);
    return line.contains(at) ? &line.at(at) : nullptr;
}

// A key of a computed layer of a step line; null where the line has none.
const json* layerKey(const json* line, std::size_t g, const char* key) {
    if (line == nullptr || !line->contains("layers") || !(*line)["layers"].is_array() ||
        (*line)["layers"].size() <= g || !(*line)["layers"][g].is_object() ||
        !(*line)["layers"][g].contains(key)) {
        return nullptr;
    }
    return &(*line)["layers"][g][key];
}

const json* key(const json* line, const char* name) {
    return line != nullptr && line->contains(name) ? &(*line)[name] : nullptr;
}

// "agrees", "agrees within the tolerance" or "differs": every number of two values alike.
std::string agreement(const json& reference, const json& mine,
                      const LineComparison::Tolerance& tolerance) {
    const auto r = JsonNumber::read(reference), m = JsonNumber::read(mine);
    if (r && m) {
        return !tolerance.admits(*r, *m) ? "differs"
               : (std::isnan(*r) || LineComparison::ulpsApart(*r, *m) == 0)
                   ? "agrees"
                   : "agrees within the tolerance";
    }
    if (!reference.is_array() || !mine.is_array() || reference.size() != mine.size()) {
        return reference == mine ? "agrees" : "differs";
    }
    std::string worst = "agrees";
    for (std::size_t k = 0; k < mine.size(); ++k) {
        const std::string each = agreement(reference[k], mine[k], tolerance);
        if (each == "differs") {
            return each;
        }
        worst = each == "agrees" ? worst : each;
    }
    return worst;
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& names) {
    std::string words;
    for (std::size_t k = 0; k < names.size(); ++k) {
        words += (k == 0 ? "" : k + 1 == names.size() ? " and " : ", ") + names[k];
    }
    return words;
}

}  // namespace

MistakeSearch::MistakeSearch(LineComparison::Tolerance tolerance, const Lines& lines,
                             std::int64_t step)
    : tolerance_(tolerance), lines_(lines), step_(step) {
    if (!lines.referenceRun || !lines.referenceTarget) {
        return;
    }
    if (auto constants = StepModel::constantsOf(*lines.referenceRun, *lines.referenceTarget)) {
        model_.emplace(std::move(*constants));
    } else {
        return;
    }
    const auto stateAfter = [this](std::int64_t t, const json* line) {
        return t == 0 ? model_->initial(*lines_.referenceRun)
               : line ? model_->after(*line)
                      : std::nullopt;
    };
    before_ = stateAfter(step - 1, lines.referenceBefore);
    if (step >= 2) {
        earlier_ = stateAfter(step - 2, lines.referenceEarlier);
    }
    if (before_) {
        remade_ = model_->run(*before_, Mistake{});
    }
}

std::optional<StepModel::Step> MistakeSearch::madeWith(const Mistake& mistake) const {
    if (!earlier_) {
        return model_->run(*before_, mistake);
    }
    const auto previous = model_->run(*earlier_, mistake);
    if (!previous) {
        return std::nullopt;
    }
    if (lines_.mineBefore) {
        LineComparison comparison(tolerance_);
        try {
            if (comparison.compare("step", previous->line(step_ - 1), *lines_.mineBefore)) {
                return std::nullopt;
            }
        } catch (const LineComparison::Missing&) {
            return std::nullopt;
        }
    }
    return model_->run(previous->after(), mistake);
}

std::optional<std::int64_t> MistakeSearch::reach(const Mistake& mistake) const {
    const auto made = madeWith(mistake);
    if (!made) {
        return std::nullopt;
    }
    LineComparison comparison(tolerance_);
    try {
        return comparison.compare("step", made->line(step_), *lines_.mineStep)
                   ? comparison.reached()
                   : std::numeric_limits<std::int64_t>::max();
    } catch (const LineComparison::Missing&) {
        return std::nullopt;
    }
}

std::vector<double> MistakeSearch::values(Kind kind, const LineComparison::Difference& d) const {
    std::vector<double> values;
    for (int k = 0; k <= 100; ++k) {
        values.push_back(k / 100.0);
    }
    const auto& c = model_->constants();
    const auto at = indicesOf(d.path);
    const auto mine = JsonNumber::read(d.mine);
    if ((d.key == "dW" || d.key == "W") && at.size() == 3 && mine) {
        const std::size_t g = at[0], k = at[1], i = at[2];
        const double change = d.key == "dW" ? *mine : *mine - before_->weights[g][k][i];
        const double x = g == 0 ? c.input[k] : remade_->y[g - 1][k];
        const double delta = remade_->delta[g][i], P = before_->changes[g][k][i];
        const double solved =
            kind == Kind::eta     ? -change / (x * (delta * (1 - c.alpha)) + P * c.alpha)
            : kind == Kind::alpha ? (x * delta - change / -c.eta) / (x * delta - P)
                                  : (change / -c.eta - x * (delta * (1 - c.alpha))) / P;
        for (int digits = 1; std::isfinite(solved) && digits <= 17; ++digits) {
            values.push_back(std::strtod(fmt::format("{:.{}g}", solved, digits).c_str(), nullptr));
        }
    }
    const double own = kind == Kind::eta ? c.eta : c.alpha;
    std::vector<double> distinct;
    for (const double v : values) {
        if (v != own && !(kind == Kind::eta && v < 0) &&
            std::find(distinct.begin(), distinct.end(), v) == distinct.end()) {
            distinct.push_back(v);
        }
    }
    return distinct;
}

// The plain mistakes first, then those of a layer, then those of a value.
std::vector<Mistake> MistakeSearch::suspects(const LineComparison::Difference& d) const {
    std::vector<Mistake> all = {{Kind::derivativeAtSums},
                                {Kind::shareLeftOut},
                                {Kind::carrySignTurned},
                                {Kind::carryWithoutEta}};
    const std::size_t L = model_->constants().sizes.size() - 1;
    for (int count = 1; count <= static_cast<int>(L) && L < 16; ++count) {
        for (std::size_t set = 1; set < (std::size_t{1} << L); ++set) {
            if (std::popcount(set) == count) {
                all.push_back({Kind::layersNotUpdated, set});
            }
        }
    }
    for (std::size_t g = 0; g < L; ++g) {
        if (g > 0) {
            all.push_back({Kind::updatedWeightsBack, g});
            all.push_back({Kind::swappedBack, g});
        }
        all.push_back({Kind::swappedForward, g});
    }
    all.push_back({Kind::errorSignTurned});
    for (const Kind kind : {Kind::eta, Kind::carryAlpha, Kind::alpha}) {
        for (const double value : values(kind, d)) {
            all.push_back({kind, 0, value});
        }
    }
    return all;
}

std::vector<Diagnosis::Input> MistakeSearch::inputsOf(const LineComparison::Difference& d) const {
    struct Source {
        std::string name;
        const json *reference, *mine;
    };
    std::vector<Source> sources;
    const std::size_t L = model_->constants().sizes.size() - 1;
    const std::size_t g = d.layer.value_or(L - 1);
    const auto layer = [L](std::size_t h) { return Wording::layer(h, L); };
    const auto X = [&](std::size_t h) {
        return h == 0 ? Source{"the input x", key(lines_.referenceRun, "input"),
                               key(lines_.mineRun, "input")}
                      : Source{"the outputs y of " + layer(h - 1),
                               layerKey(lines_.referenceStep, h - 1, "y"),
                               layerKey(lines_.mineStep, h - 1, "y")};
    };
    const auto weightsBefore = [&](std::size_t h) {
        const std::string name = "the weights into " + layer(h) + " before the step";
        if (step_ == 1) {
            const json* r = key(lines_.referenceRun, "W");
            const json* m = key(lines_.mineRun, "W");
            const auto of = [h](const json* w) {
                return w && w->is_array() && w->size() > h ? &(*w)[h] : nullptr;
            };
            return Source{name, of(r), of(m)};
        }
        return Source{name, layerKey(lines_.referenceBefore, h, "W"),
                      layerKey(lines_.mineBefore, h, "W")};
    };
    const auto here = [&](const char* k, std::size_t h, const std::string& name) {
        return Source{name + layer(h), layerKey(lines_.referenceStep, h, k),
                      layerKey(lines_.mineStep, h, k)};
    };
    const Source target{"the target D", key(lines_.referenceTarget, "D"),
                        key(lines_.mineTarget, "D")};
    if (d.key == "s") {
        sources = {X(g), weightsBefore(g)};
    } else if (d.key == "y") {
        sources = {here("s", g, "the weighted sums s of ")};
    } else if (d.key == "delta" && g + 1 == L) {
        sources = {here("y", g, "the outputs y of "), target};
    } else if (d.key == "delta") {
        sources = {here("delta", g + 1, "the error terms δ of "), weightsBefore(g + 1),
                   here("y", g, "the outputs y of ")};
    } else if (d.key == "dW") {
        sources = {X(g), here("delta", g, "the error terms δ of ")};
        if (step_ > 1) {
            sources.push_back({"the previous changes P", layerKey(lines_.referenceBefore, g, "dW"),
                               layerKey(lines_.mineBefore, g, "dW")});
        }
        sources.push_back({"η", key(lines_.referenceRun, "eta"), key(lines_.mineRun, "eta")});
        sources.push_back({"α", key(lines_.referenceRun, "alpha"), key(lines_.mineRun, "alpha")});
    } else if (d.key == "W") {
        sources = {weightsBefore(g), here("dW", g, "the changes ΔW of ")};
    } else {
        sources = {here("y", L - 1, "the outputs y of "), target};
    }
    std::vector<Diagnosis::Input> inputs;
    for (const Source& source : sources) {
        if (source.reference) {
            inputs.push_back(
                {source.name, source.mine ? agreement(*source.reference, *source.mine, tolerance_)
                                          : "not in your trace"});
        }
    }
    return inputs;
}

Diagnosis MistakeSearch::diagnose(const LineComparison::Difference& d, std::int64_t reached) const {
    Diagnosis diagnosis;
    if (!model_ || !before_) {
        diagnosis.sentence =
            "The step cannot be made again from the reference's numbers: it " +
            std::string(model_ ? "does not trace step " + std::to_string(step_ - 1) + "."
                               : "has no \"run\" and \"target\" lines to start from.");
        return diagnosis;
    }
    LineComparison exactly({});
    if (!remade_ || exactly.compare("step", remade_->line(step_), *lines_.referenceStep)) {
        diagnosis.sentence =
            "The reference's own numbers do not make this step again, so no mistake can be "
            "named: is it neuronet's trace, made on a machine with this one's exp?";
        return diagnosis;
    }
    const std::size_t L = model_->constants().sizes.size() - 1;
    // Of the mistakes that give MINE's number, the one that gives most of MINE's step: the
    // hidden layers all left alone rather than the one where the difference shows. Among
    // those, the first in the order of suspects, and of values the shortest, the likeliest to
    // have been written by hand (η = 0.5 rather than an α that gives the same step).
    const auto digits = [](const Mistake& m) {
        char text[JsonNumber::longest];
        const bool valued =
            m.kind == Kind::eta || m.kind == Kind::carryAlpha || m.kind == Kind::alpha;
        return valued ? JsonNumber::write(m.value, text) : 0;
    };
    std::optional<Mistake> found;
    std::int64_t furthest = reached;
    for (const Mistake& mistake : suspects(d)) {
        const auto reached = reach(mistake);
        if (reached && (*reached > furthest ||
                        (*reached == furthest && found && digits(mistake) < digits(*found)))) {
            found = mistake;
            furthest = *reached;
        }
    }
    if (found) {
        const json line = madeWith(*found)->line(step_);
        const json* made = valueAt(line, d.path);
        const auto m = JsonNumber::read(d.mine);
        const auto x = made ? JsonNumber::read(*made) : std::nullopt;
        diagnosis.exact = m && x ? LineComparison::ulpsApart(*m, *x) == 0 || std::isnan(*m)
                                 : made && *made == d.mine;
        diagnosis.mistake = found;
        const double own =
            found->kind == Kind::eta ? model_->constants().eta : model_->constants().alpha;
        diagnosis.sentence =
            std::string("Yours is ") + (diagnosis.exact ? "exactly" : "within the tolerance") +
            " what the reference's numbers give with " + found->words(L, own) + '.';
        return diagnosis;
    }
    diagnosis.inputs = inputsOf(d);
    std::vector<std::string> agree, within, differ, missing;
    for (const auto& input : diagnosis.inputs) {
        (input.agreement == "agrees"              ? agree
         : input.agreement == "differs"           ? differ
         : input.agreement == "not in your trace" ? missing
                                                  : within)
            .push_back(input.name);
    }
    std::vector<std::string> clauses;
    const auto clause = [&clauses](const std::vector<std::string>& names, const char* verb) {
        if (!names.empty()) {
            clauses.push_back(verb + listed(names));
        }
    };
    clause(agree, "agrees with the reference in ");
    clause(within, "agrees only within the tolerance in ");
    clause(differ, "differs in ");
    clause(missing, "does not hold ");
    std::string said = "No mistake named here gives yours.";
    if (!clauses.empty()) {
        said += " Of the number's inputs, your trace " + listed(clauses) + '.';
    }
    said += !differ.empty()    ? " So it may come from the inputs that differ."
            : !missing.empty() ? " So it arises where this number is made, or in what your "
                                 "trace does not hold."
                               : " So it arises where this number itself is made: in its "
                                 "formula, or in the order and grouping of its operations.";
    diagnosis.sentence = said;
    return diagnosis;
}
