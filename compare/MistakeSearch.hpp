#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "compare/Diagnosis.hpp"
#include "compare/LineComparison.hpp"
#include "compare/StepModel.hpp"

// Asks the reference's own numbers what MINE's number is, at the first difference of a step:
// makes the step again from the reference's weights before it (from the step before it too,
// where the reference traces both), once with every mistake that Mistake names, and takes
// one that gives MINE's numbers up to the difference and beyond, within the tolerance. Where
// none does, says which inputs of the number agree.
class MistakeSearch {
  public:
    // The lines around the difference at step t: the reference's run, target and steps t − 2,
    // t − 1 and t, MINE's run, target and steps t − 1 and t; null where a trace has none.
    struct Lines {
        const nlohmann::json *referenceRun, *referenceTarget;
        const nlohmann::json *referenceEarlier, *referenceBefore, *referenceStep;
        const nlohmann::json *mineRun, *mineTarget, *mineBefore, *mineStep;
    };

    MistakeSearch(LineComparison::Tolerance tolerance, const Lines& lines, std::int64_t step);

    // `reached` is how far the comparison of the step's lines came (LineComparison::reached).
    Diagnosis diagnose(const LineComparison::Difference& difference, std::int64_t reached) const;

  private:
    // The step made with the mistake, from the state the reference's lines give: none when
    // the mistake cannot be made, or does not give MINE's step before this one.
    std::optional<StepModel::Step> madeWith(const Mistake& mistake) const;
    // How far the step made with the mistake agrees with MINE's (LineComparison::reached;
    // the most there is when it agrees throughout); none when it cannot be made.
    std::optional<std::int64_t> reach(const Mistake& mistake) const;
    std::vector<Mistake> suspects(const LineComparison::Difference& difference) const;
    // The values of α or η to try: hundredths, and the roundings of the one that the change
    // at the difference asks for, where it can be solved for.
    std::vector<double> values(Mistake::Kind kind, const LineComparison::Difference& d) const;
    std::vector<Diagnosis::Input> inputsOf(const LineComparison::Difference& difference) const;

    LineComparison::Tolerance tolerance_;
    Lines lines_;
    std::int64_t step_;
    std::optional<StepModel> model_;
    std::optional<StepModel::State> before_, earlier_;
    std::optional<StepModel::Step> remade_;
};
