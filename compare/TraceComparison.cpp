#include "compare/TraceComparison.hpp"

#include <cmath>

#include "compare/MistakeSearch.hpp"
#include "compare/PlainDiagnosis.hpp"
#include "compare/Wording.hpp"

namespace {

using json = nlohmann::json;

std::optional<std::int64_t> stepOf(const json* line) {
    return line ? TraceLines::wholeNumber(*line, "step") : std::nullopt;
}

}  // namespace

std::string TraceComparison::kindOf(const json& line) {
    const auto kind = line.at("kind").get<std::string>();
    step_ = kind == "step" ? TraceLines::wholeNumber(line, "step") : std::nullopt;
    return kind;
}

// The reference's steps from t − 2 to t are kept for a diagnosis at step t.
void TraceComparison::keep(json line) {
    const std::string kind = line.value("kind", "");
    if (kind == "run") {
        referenceRun_ = std::move(line);
    } else if (kind == "target") {
        referenceTarget_ = std::move(line);
    } else if (kind == "end") {
        referenceEnd_ = std::move(line);
    } else if (kind == "step") {
        referenceLast_ = *TraceLines::wholeNumber(line, "step");
        referenceSteps_.push_back(std::move(line));
        if (referenceSteps_.size() > 3) {
            referenceSteps_.pop_front();
        }
    }
}

const json* TraceComparison::match(const std::string& kind) {
    bool ended = true;
    while (auto line = reference_.next()) {
        const json theirs = line->value("kind", json());
        keep(std::move(*line));
        if (theirs != kind) {
            continue;
        }
        if (kind == "run" || kind == "target" || kind == "end") {
            return kind == "run"      ? &*referenceRun_
                   : kind == "target" ? &*referenceTarget_
                                      : &*referenceEnd_;
        }
        if (referenceLast_ == *step_) {
            return &referenceSteps_.back();
        }
        if (referenceLast_ > *step_) {
            ended = false;
            break;
        }
    }
    if (kind == "step" && ended && referenceLast_ < *step_) {
        return nullptr;
    }
    mine_.unusable(kind == "step" ? "step " + std::to_string(*step_) + ", which " +
                                        reference_.name() + " does not trace after its line " +
                                        std::to_string(reference_.lineNumber())
                                  : "a line of kind \"" + kind + "\", which " + reference_.name() +
                                        " does not have where " + mine_.name() + " has it");
}

std::optional<std::int64_t> TraceComparison::referenceLastStep() const {
    const auto ended =
        referenceEnd_ ? TraceLines::wholeNumber(*referenceEnd_, "steps") : std::nullopt;
    if (ended) {
        return ended;
    }
    return referenceLast_ > 0 ? std::optional(referenceLast_) : std::nullopt;
}

bool TraceComparison::shortened(const json& end, const Verdict& verdict) const {
    const auto last = referenceLastStep();
    const bool limited =
        end.value("why", json()) == "step-limit" ||
        (verdict.stepLimits && verdict.stepLimits->second < verdict.stepLimits->first);
    return limited && last && verdict.lastStep < *last;
}

TraceComparison::Difference TraceComparison::wentOn() const {
    Difference difference{"step",
                          step_,
                          {"step", "step", std::nullopt, referenceLast_, *step_},
                          Wording::quantity("step"),
                          Diagnosis{}};
    std::string how;
    if (referenceEnd_) {
        const json ended = referenceEnd_->value("ended", json());
        const json why = referenceEnd_->value("why", json());
        const std::string stop = why == "out-of-reach"   ? "the target out of reach"
                                 : why == "unchanged"    ? "a step that changed no weight"
                                 : why == "step-limit"   ? "the step limit"
                                 : why == "not-a-number" ? "an error that is not a number"
                                                         : why.dump();
        how = ended == "met"       ? ", where it met the error limit"
              : ended == "stopped" ? ", where training stopped at " + stop
                                   : ", where it failed";
    }
    difference.diagnosis->sentence = "The reference's " +
                                     std::string(referenceEnd_ ? "run" : "trace") +
                                     " ends after step " + std::to_string(referenceLast_) + how +
                                     "; yours goes on to step " + std::to_string(*step_) + ".";
    return difference;
}

TraceComparison::Difference TraceComparison::describe(const std::string& kind,
                                                      const LineComparison::Difference& at,
                                                      const json& reference,
                                                      const json& mine) const {
    std::size_t layers = 0;
    if (reference.contains("layers") && reference["layers"].is_array()) {
        layers = reference["layers"].size();
    } else if (referenceRun_ && referenceRun_->contains("sizes") &&
               (*referenceRun_)["sizes"].is_array()) {
        layers = (*referenceRun_)["sizes"].size() - 1;
    }
    Difference difference{kind, step_, at, Wording::quantity(at.key), std::nullopt};
    if (at.layer) {
        difference.quantity += ", " + Wording::layer(*at.layer, layers);
    }
    difference.diagnosis = PlainDiagnosis::of(at, reference, mine, layers, comparison_.tolerance());
    if (!difference.diagnosis && kind == "step") {
        const auto around = [this](std::int64_t back) -> const json* {
            const std::size_t n = referenceSteps_.size();
            return n > static_cast<std::size_t>(back) &&
                           stepOf(&referenceSteps_[n - 1 - static_cast<std::size_t>(back)]) ==
                               *step_ - back
                       ? &referenceSteps_[n - 1 - static_cast<std::size_t>(back)]
                       : nullptr;
        };
        const auto held = [](const std::optional<json>& line) { return line ? &*line : nullptr; };
        const json* mineBefore =
            stepOf(held(minePrevious_)) == *step_ - 1 ? &*minePrevious_ : nullptr;
        const MistakeSearch search(
            comparison_.tolerance(),
            {held(referenceRun_), held(referenceTarget_), around(2), around(1), &reference,
             held(mineRun_), held(mineTarget_), mineBefore, &mine},
            *step_);
        difference.diagnosis = search.diagnose(at, comparison_.reached());
    }
    return difference;
}

TraceComparison::Verdict TraceComparison::run() {
    Verdict verdict;
    bool any = false;
    std::int64_t stepLimits = 0;
    while (auto line = mine_.next()) {
        any = true;
        const std::string kind = kindOf(*line);
        const json* reference = match(kind);
        if (!reference) {
            verdict.difference = wentOn();
            break;
        }
        if (kind == "run") {
            const auto theirs = TraceLines::wholeNumber(*reference, "stepLimit");
            const auto ours = TraceLines::wholeNumber(*line, "stepLimit");
            stepLimits += theirs && ours ? 1 : 0;
            if (theirs && ours && *theirs != *ours) {
                verdict.stepLimits = {*theirs, *ours};
            }
        }
        if (kind == "end" && shortened(*line, verdict)) {
            continue;
        }
        std::optional<LineComparison::Difference> at;
        try {
            at = comparison_.compare(kind, *reference, *line);
        } catch (const LineComparison::Missing& missing) {
            reference_.unusable("has no \"" + missing.key + "\" to compare with " + mine_.name() +
                                "'s");
        }
        if (step_) {
            ++verdict.steps;
            verdict.lastStep = *step_;
        }
        if (at) {
            verdict.difference = describe(kind, *at, *reference, *line);
            break;
        }
        if (kind != "end") {
            (kind == "run"      ? mineRun_
             : kind == "target" ? mineTarget_
                                : minePrevious_) = std::move(*line);
        }
    }
    if (!any) {
        mine_.unusable("expected a line of the trace, found none");
    }
    if (!verdict.difference) {
        while (auto line = reference_.next()) {
            keep(std::move(*line));
        }
        verdict.referenceSteps = referenceLastStep();
    }
    verdict.numbers = comparison_.numbers() + stepLimits;
    return verdict;
}
