#include "compare/Report.hpp"

#include <algorithm>
#include <cmath>
#include <ostream>

#define FMT_HEADER_ONLY
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "compare/Wording.hpp"
#include "trace/JsonNumber.hpp"

namespace {

// How far apart two numbers lie: in doubles, and as the relative difference and the ratio
// of MINE to the reference where those are numbers. None for counts and where a NaN is.
struct Distance {
    std::uint64_t ulps;
    std::optional<double> relative, ratio;
};

std::optional<Distance> distanceOf(const LineComparison::Difference& at) {
    const auto r = JsonNumber::read(at.reference), m = JsonNumber::read(at.mine);
    if (Wording::isCount(at.key) || !r || !m || std::isnan(*r) || std::isnan(*m)) {
        return std::nullopt;
    }
    Distance distance{LineComparison::ulpsApart(*r, *m), std::nullopt, std::nullopt};
    const double larger = std::max(std::fabs(*r), std::fabs(*m));
    if (std::isfinite(*r) && std::isfinite(*m)) {
        distance.relative = std::fabs(*m - *r) / larger;
        if (*r != 0) {
            distance.ratio = *m / *r + 0.0;  // not -0
        }
    }
    return distance;
}

std::string count(std::int64_t n, const char* noun) {
    return std::to_string(n) + ' ' + noun + (n == 1 ? "" : "s");
}

void difference(std::ostream& out, const TraceComparison::Difference& d) {
    out << Wording::line(d.kind, d.step) << ": " << d.at.path << " differs (" << d.quantity
        << ")\n  reference: " << d.at.reference.dump() << "\n  mine:      " << d.at.mine.dump()
        << '\n';
    if (const auto distance = distanceOf(d.at)) {
        out << "  " << distance->ulps << (distance->ulps == 1 ? " unit" : " units")
            << " in the last place apart";
        if (distance->relative) {
            out << fmt::format(", relative difference {:.3g}", *distance->relative);
        }
        if (distance->ratio) {
            out << fmt::format(", ratio {:.6g}", *distance->ratio);
        }
        out << '\n';
    }
    if (d.diagnosis && !d.diagnosis->sentence.empty()) {
        out << "  " << d.diagnosis->sentence << '\n';
    }
}

nlohmann::ordered_json number(double value) {
    return std::isfinite(value) ? nlohmann::ordered_json(value)
                                : nlohmann::ordered_json(std::isnan(value) ? "NaN"
                                                         : value > 0       ? "Infinity"
                                                                           : "-Infinity");
}

nlohmann::ordered_json diagnosisOf(const Diagnosis& d) {
    nlohmann::ordered_json out = {{"mistake", nullptr}};
    if (d.mistake) {
        using Kind = Mistake::Kind;
        const Mistake& m = *d.mistake;
        out["mistake"] = m.name();
        out["exact"] = d.exact;
        if (m.kind == Kind::layersNotUpdated) {
            out["layers"] = nlohmann::ordered_json::array();
            for (std::size_t g = 0; g < 64; ++g) {
                if ((m.layers >> g & 1) != 0) {
                    out["layers"].push_back(g);
                }
            }
        } else if (m.kind == Kind::updatedWeightsBack || m.kind == Kind::swappedForward ||
                   m.kind == Kind::swappedBack) {
            out["layer"] = m.layers;
        } else if (m.kind == Kind::eta || m.kind == Kind::alpha || m.kind == Kind::carryAlpha) {
            out[m.kind == Kind::eta ? "eta" : "alpha"] = number(m.value);
        }
    }
    if (!d.inputs.empty()) {
        out["inputs"] = nlohmann::ordered_json::array();
        for (const auto& input : d.inputs) {
            out["inputs"].push_back({{"input", input.name}, {"agreement", input.agreement}});
        }
    }
    out["sentence"] = d.sentence;
    return out;
}

}  // namespace

void Report::text(std::ostream& out, const TraceComparison::Verdict& v) {
    if (v.difference) {
        difference(out, *v.difference);
        return;
    }
    const std::string compared =
        count(v.steps, "step") + " and " + count(v.numbers, "number") + " compared";
    if (v.steps == 0 || !v.referenceSteps || v.lastStep >= *v.referenceSteps) {
        out << "the traces agree: " << compared << '\n';
        return;
    }
    out << "the traces agree on the " << count(v.steps, "step") << " both hold: " << compared
        << "; the reference's run goes on to step " << *v.referenceSteps;
    if (v.stepLimits) {
        out << ", and your step limit is " << v.stepLimits->second << ", the reference's "
            << v.stepLimits->first;
    }
    out << '\n';
}

void Report::json(std::ostream& out, const TraceComparison::Verdict& v) {
    nlohmann::ordered_json verdict = {
        {"verdict", v.difference ? "differ" : "agree"}, {"steps", v.steps}, {"numbers", v.numbers}};
    if (v.difference) {
        const TraceComparison::Difference& d = *v.difference;
        nlohmann::ordered_json at = {
            {"line", d.kind},
            {"step", d.step ? nlohmann::ordered_json(*d.step) : nlohmann::ordered_json()},
            {"path", d.at.path},
            {"quantity", Wording::quantity(d.at.key)},
            {"layer", d.at.layer ? nlohmann::ordered_json(*d.at.layer) : nlohmann::ordered_json()},
            {"reference", d.at.reference},
            {"mine", d.at.mine},
            {"ulps", nullptr},
            {"relative", nullptr},
            {"ratio", nullptr},
            {"diagnosis", d.diagnosis ? diagnosisOf(*d.diagnosis) : nullptr}};
        if (const auto distance = distanceOf(d.at)) {
            at["ulps"] = distance->ulps;
            at["relative"] = distance->relative ? number(*distance->relative) : nullptr;
            at["ratio"] = distance->ratio ? number(*distance->ratio) : nullptr;
        }
        verdict["difference"] = at;
    } else {
        verdict["lastStep"] = v.lastStep;
        verdict["referenceSteps"] =
            v.referenceSteps ? nlohmann::ordered_json(*v.referenceSteps) : nullptr;
    }
    if (v.stepLimits) {
        verdict["stepLimits"] = {{"reference", v.stepLimits->first},
                                 {"mine", v.stepLimits->second}};
    }
    out << verdict.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

void Report::unusable(std::ostream& out, const std::string& why) {
    out << nlohmann::ordered_json({{"verdict", "unusable"}, {"why", why}})
               .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
        << '\n';
}
