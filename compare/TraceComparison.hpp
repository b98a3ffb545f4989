#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "compare/Diagnosis.hpp"
#include "compare/LineComparison.hpp"
#include "trace/TraceLines.hpp"

// Compares a trace with neuronet's trace of the same run, the reference, line by line in the
// order the computation makes the numbers: the first number that differs beyond the
// tolerance is the first place where the two computations part, and is diagnosed there.
// Only what the second trace holds is compared: a line, a key, a layer it leaves out is
// passed over; a trace that ends before the reference's is compared as far as it goes.
class TraceComparison {
  public:
    // Where the traces part: the line's kind and step, the place in the line, what the
    // quantity is in words, and what can be said of it.
    struct Difference {
        std::string kind;
        std::optional<std::int64_t> step;
        LineComparison::Difference at;
        std::string quantity;
        std::optional<Diagnosis> diagnosis;
    };

    struct Verdict {
        std::optional<Difference> difference;
        std::int64_t steps = 0, numbers = 0;
        // MINE's last step, and the reference's (known when the traces agree).
        std::int64_t lastStep = 0;
        std::optional<std::int64_t> referenceSteps;
        // The reference's step limit and MINE's, where their "run" lines give different ones.
        std::optional<std::pair<std::int64_t, std::int64_t>> stepLimits;
    };

    TraceComparison(TraceLines& reference, TraceLines& mine, LineComparison::Tolerance tolerance)
        : reference_(reference), mine_(mine), comparison_(tolerance) {}

    // Throws TraceLines::Unusable.
    Verdict run();

  private:
    // The kind of a line of MINE, and the step's number for a step line.
    std::string kindOf(const nlohmann::json& line);
    // The reference's line that MINE's line of this kind is compared with; null when the
    // reference's run has ended before MINE's step.
    const nlohmann::json* match(const std::string& kind);
    void keep(nlohmann::json line);
    std::optional<std::int64_t> referenceLastStep() const;
    // Whether MINE's end line is of a run its step limit shortened, not to be compared.
    bool shortened(const nlohmann::json& end, const Verdict& verdict) const;
    Difference wentOn() const;
    Difference describe(const std::string& kind, const LineComparison::Difference& at,
                        const nlohmann::json& reference, const nlohmann::json& mine) const;

    TraceLines& reference_;
    TraceLines& mine_;
    LineComparison comparison_;
    std::optional<std::int64_t> step_;
    // The reference's lines that a diagnosis reads, and its last step seen.
    std::optional<nlohmann::json> referenceRun_, referenceTarget_, referenceEnd_;
    std::deque<nlohmann::json> referenceSteps_;
    std::int64_t referenceLast_ = 0;
    // MINE's.
    std::optional<nlohmann::json> mineRun_, mineTarget_, minePrevious_;
};
