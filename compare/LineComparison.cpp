#include "compare/LineComparison.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "compare/Wording.hpp"
#include "trace/JsonNumber.hpp"

namespace {

// A line's keys in the order the computation makes their values; a step's layers apart.
const std::vector<std::string>& keysOf(const std::string& kind) {
    static const std::vector<std::string> run = {"seed",  "input", "sizes", "W",     "eta",
                                                 "alpha", "limit", "slope", "offset"};
    static const std::vector<std::string> target = {"D", "unread"};
    static const std::vector<std::string> end = {"ended", "why", "steps", "E", "status"};
    static const std::vector<std::string> none;
    return kind == "run" ? run : kind == "target" ? target : kind == "end" ? end : none;
}

std::string layerPath(std::size_t g) {
    return "layers[" + std::to_string(g) + "]";
}

}  // namespace

bool LineComparison::Tolerance::admits(double reference, double mine) const {
    if (std::isnan(reference) || std::isnan(mine)) {
        return std::isnan(reference) && std::isnan(mine);
    }
    return ulpsApart(reference, mine) <= ulps ||
           std::fabs(reference - mine) <=
               relative * std::max(std::fabs(reference), std::fabs(mine));
}

std::uint64_t LineComparison::ulpsApart(double a, double b) {
    const auto ordered = [](double x) {
        const auto bits = std::bit_cast<std::int64_t>(x);
        return bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
    };
    const auto ka = static_cast<std::uint64_t>(ordered(a));
    const auto kb = static_cast<std::uint64_t>(ordered(b));
    return static_cast<std::int64_t>(ka - kb) >= 0 ? ka - kb : kb - ka;
}

bool LineComparison::compareValues(const nlohmann::json& reference, const nlohmann::json& mine,
                                   const std::string& path, const std::string& key,
                                   std::optional<std::size_t> layer) {
    const auto r = JsonNumber::read(reference);
    const auto m = JsonNumber::read(mine);
    if (r && m) {
        ++reached_;
        ++numbers_;
        const bool agree = Wording::isCount(key) ? *r == *m : tolerance_.admits(*r, *m);
        if (!agree) {
            difference_ = Difference{path, key, layer, reference, mine};
        }
        return agree;
    }
    if (reference.is_array() && mine.is_array() && reference.size() == mine.size()) {
        for (std::size_t k = 0; k < mine.size(); ++k) {
            if (!compareValues(reference[k], mine[k], path + '[' + std::to_string(k) + ']', key,
                               layer)) {
                return false;
            }
        }
        return true;
    }
    ++reached_;
    if (reference != mine) {
        difference_ = Difference{path, key, layer, reference, mine};
        return false;
    }
    return true;
}

bool LineComparison::compareKey(const nlohmann::json& reference, const nlohmann::json& mine,
                                const std::string& key, const std::string& prefix,
                                std::optional<std::size_t> layer) {
    if (!mine.contains(key)) {
        return true;
    }
    const std::string path = prefix.empty() ? key : prefix + '.' + key;
    if (!reference.contains(key)) {
        if (key != "seed") {
            throw Missing{key};
        }
        // A run that was never seeded draws as one seeded with 1.
        return compareValues(nlohmann::json(1), mine[key], path, key, layer);
    }
    return compareValues(reference[key], mine[key], path, key, layer);
}

// Every layer's weighted sums and outputs from the first to the output layer, the error
// terms from the output layer back, the weight changes likewise, the weights after the
// update, and the error of the step's output.
bool LineComparison::compareStep(const nlohmann::json& reference, const nlohmann::json& mine) {
    if (!mine.contains("layers")) {
        return compareKey(reference, mine, "E", "", std::nullopt);
    }
    if (!reference.contains("layers")) {
        throw Missing{"layers"};
    }
    const nlohmann::json& theirs = reference["layers"];
    const nlohmann::json& ours = mine["layers"];
    ++reached_;
    if (!ours.is_array() || ours.size() != theirs.size()) {
        difference_ = Difference{"layers", "layers", std::nullopt, theirs.size(),
                                 ours.is_array() ? nlohmann::json(ours.size()) : ours};
        return false;
    }
    const std::size_t n = ours.size();
    const auto each = [&](const char* key, bool upwards) {
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t g = upwards ? k : n - 1 - k;
            if (!compareKey(theirs[g], ours[g], key, layerPath(g), g)) {
                return false;
            }
        }
        return true;
    };
    for (std::size_t g = 0; g < n; ++g) {
        for (const char* key : {"s", "y"}) {
            if (!compareKey(theirs[g], ours[g], key, layerPath(g), g)) {
                return false;
            }
        }
    }
    return each("delta", false) && each("dW", false) && each("W", true) &&
           compareKey(reference, mine, "E", "", std::nullopt);
}

std::optional<LineComparison::Difference> LineComparison::compare(const std::string& kind,
                                                                  const nlohmann::json& reference,
                                                                  const nlohmann::json& mine) {
    difference_.reset();
    reached_ = 0;
    if (kind == "step") {
        compareStep(reference, mine);
        return difference_;
    }
    for (const std::string& key : keysOf(kind)) {
        if (!compareKey(reference, mine, key, "", std::nullopt)) {
            break;
        }
    }
    return difference_;
}
