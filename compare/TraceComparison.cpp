#include "compare/TraceComparison.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "trace/JsonNumber.hpp"

namespace {

// What a quantity of a line is, in words, from the last key of its path.
std::string quantityOf(const std::string& path) {
    struct Name {
        const char* key;
        const char* words;
    };
    static constexpr Name names[] = {
        {"input", "an element of the input"},
        {"sizes", "a layer's neuron count"},
        {"W", "a weight"},
        {"eta", "the learning rate"},
        {"alpha", "the share of the previous change"},
        {"limit", "the error limit"},
        {"stepLimit", "the step limit"},
        {"slope", "the activation's slope"},
        {"offset", "the activation's offset"},
        {"D", "an element of the target"},
        {"unread", "the unread element"},
        {"s", "a weighted sum"},
        {"y", "an output"},
        {"delta", "an error term"},
        {"dW", "a weight change"},
        {"E", "the error"},
        {"ended", "how the run ended"},
        {"why", "why training stopped"},
        {"steps", "the steps made"},
        {"status", "the exit status"},
        {"kind", "the kind of line"},
    };
    const auto start = path.find_last_of('.') + 1;
    const std::string key = path.substr(start, path.find('[', start) - start);
    for (const Name& name : names) {
        if (key == name.key) {
            return name.words;
        }
    }
    return key;
}

}  // namespace

std::uint64_t TraceComparison::ulpsApart(double a, double b) {
    const auto ordered = [](double x) {
        const auto bits = std::bit_cast<std::int64_t>(x);
        return bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
    };
    const auto ka = static_cast<std::uint64_t>(ordered(a));
    const auto kb = static_cast<std::uint64_t>(ordered(b));
    return static_cast<std::int64_t>(ka - kb) >= 0 ? ka - kb : kb - ka;
}

// A computed layer by its place: the hidden layers from the input on, then the output layer.
void TraceComparison::differ(const std::string& path, const nlohmann::json& reference,
                             const nlohmann::json& mine, std::optional<std::uint64_t> ulps) {
    const auto text = [](const nlohmann::json& value) {
        return value.is_null() ? std::string("nothing") : value.dump();
    };
    std::string quantity = quantityOf(path);
    if (path.starts_with("layers[") && path.find('.') != path.npos) {
        const auto g = std::stoul(path.substr(7));
        quantity +=
            g + 1 == layerCount_ ? ", the output layer" : ", hidden layer " + std::to_string(g + 1);
    }
    difference_ = Difference{step_, path, quantity, text(reference), text(mine), ulps};
}

bool TraceComparison::compareValues(const nlohmann::json& reference, const nlohmann::json& mine,
                                    const std::string& path) {
    const auto r = JsonNumber::read(reference);
    const auto m = JsonNumber::read(mine);
    if (r && m) {
        ++numbers_;
        const bool bothNaN = std::isnan(*r) && std::isnan(*m);
        const bool oneNaN = std::isnan(*r) != std::isnan(*m);
        const std::uint64_t ulps = bothNaN || oneNaN ? 0 : ulpsApart(*r, *m);
        const bool agree =
            bothNaN ||
            (!oneNaN &&
             (ulps <= tolerance_.ulps ||
              std::fabs(*r - *m) <= tolerance_.relative * std::max(std::fabs(*r), std::fabs(*m))));
        if (!agree) {
            differ(path, reference, mine, oneNaN ? std::nullopt : std::optional(ulps));
        }
        return agree;
    }
    if (reference.is_array() && mine.is_array() && reference.size() == mine.size()) {
        for (std::size_t k = 0; k < mine.size(); ++k) {
            if (!compareValues(reference[k], mine[k], path + '[' + std::to_string(k) + ']')) {
                return false;
            }
        }
        return true;
    }
    if (reference != mine) {
        differ(path, reference, mine, std::nullopt);
        return false;
    }
    return true;
}

bool TraceComparison::compareKey(const nlohmann::json& reference, const nlohmann::json& mine,
                                 const std::string& key, const std::string& path) {
    if (!mine.contains(key)) {
        return true;
    }
    if (!reference.contains(key)) {
        reference_.unusable("has no \"" + key + "\" to compare with " + mine_.name() + "'s");
    }
    return compareValues(reference[key], mine[key], path.empty() ? key : path + '.' + key);
}

// In the order the step computes: every layer's weighted sums and outputs from the first to
// the output layer, the error terms from the output layer back, the weight changes likewise,
// the weights after the update, and the error of the step's output.
bool TraceComparison::compareStep(const nlohmann::json& reference, const nlohmann::json& mine) {
    if (!mine.contains("layers")) {
        return compareKey(reference, mine, "E", "");
    }
    if (!reference.contains("layers")) {
        reference_.unusable("has no \"layers\" to compare with " + mine_.name() + "'s");
    }
    const nlohmann::json& theirs = reference["layers"];
    const nlohmann::json& ours = mine["layers"];
    if (!ours.is_array() || ours.size() != theirs.size()) {
        differ("layers", nlohmann::json(theirs.size()), nlohmann::json(ours.size()), std::nullopt);
        difference_->quantity = "the number of computed layers";
        return false;
    }
    const auto layer = [](std::size_t g) { return "layers[" + std::to_string(g) + "]"; };
    const std::size_t n = layerCount_ = ours.size();
    for (std::size_t g = 0; g < n; ++g) {
        for (const char* key : {"s", "y"}) {
            if (!compareKey(theirs[g], ours[g], key, layer(g))) {
                return false;
            }
        }
    }
    for (const char* key : {"delta", "dW"}) {
        for (std::size_t g = n; g-- > 0;) {
            if (!compareKey(theirs[g], ours[g], key, layer(g))) {
                return false;
            }
        }
    }
    for (std::size_t g = 0; g < n; ++g) {
        if (!compareKey(theirs[g], ours[g], "W", layer(g))) {
            return false;
        }
    }
    return compareKey(reference, mine, "E", "");
}

nlohmann::json TraceComparison::match(const nlohmann::json& mine) {
    const nlohmann::json kind = mine.value("kind", nlohmann::json());
    const bool step = kind == "step";
    if (!kind.is_string() || !(step || kind == "run" || kind == "target" || kind == "end")) {
        mine_.unusable("expected a line of kind \"run\", \"target\", \"step\" or \"end\"");
    }
    if (step && !(mine.contains("step") && mine["step"].is_number_integer())) {
        mine_.unusable("expected a step's number, \"step\"");
    }
    step_ = step ? std::optional(mine["step"].get<std::int64_t>()) : std::nullopt;
    while (auto line = reference_.next()) {
        if (line->value("kind", nlohmann::json()) != kind) {
            continue;
        }
        if (!step) {
            return std::move(*line);
        }
        const std::int64_t theirs = line->value("step", std::int64_t{-1});
        if (theirs == *step_) {
            return std::move(*line);
        }
        if (theirs > *step_) {
            break;
        }
    }
    mine_.unusable(step ? "step " + std::to_string(*step_) + ", which " + reference_.name() +
                              " does not trace after its line " +
                              std::to_string(reference_.lineNumber())
                        : "a line of kind " + kind.dump() + ", which " + reference_.name() +
                              " does not have where " + mine_.name() + " has it");
}

std::optional<TraceComparison::Difference> TraceComparison::run() {
    bool any = false;
    while (const auto mine = mine_.next()) {
        any = true;
        const nlohmann::json reference = match(*mine);
        bool same = true;
        if (step_) {
            same = compareStep(reference, *mine);
            ++steps_;
        } else {
            for (const char* key :
                 {"input", "sizes", "W", "eta", "alpha", "limit", "stepLimit", "slope", "offset",
                  "D", "unread", "ended", "why", "steps", "E", "status"}) {
                if (!(same = compareKey(reference, *mine, key, ""))) {
                    break;
                }
            }
        }
        if (!same) {
            return difference_;
        }
    }
    if (!any) {
        mine_.unusable("expected a line of the trace, found none");
    }
    return std::nullopt;
}
