#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "trace/TraceLines.hpp"

// Compares a trace with neuronet's trace of the same run, the reference, in the order the
// computation makes the numbers: the first number that differs beyond the tolerance is the
// first place where the two computations part. Only what the second trace holds is
// compared: a line, a key, a layer it leaves out is passed over.
class TraceComparison {
  public:
    // Two numbers agree when they are equal (both NaN count as equal), or no more than
    // `ulps` doubles apart, or when their difference is no more than `relative` times the
    // larger magnitude.
    struct Tolerance {
        std::uint64_t ulps = 0;
        double relative = 0;
    };

    // Where the traces part: the step (none for the run's and the target's lines), the
    // quantity as a path into its line, what it is in words, and both values as read.
    struct Difference {
        std::optional<std::int64_t> step;
        std::string path;
        std::string quantity;
        std::string reference;
        std::string mine;
        // How many doubles apart the two numbers lie; none when they are not two numbers.
        std::optional<std::uint64_t> ulps;
    };

    TraceComparison(TraceLines& reference, TraceLines& mine, Tolerance tolerance)
        : reference_(reference), mine_(mine), tolerance_(tolerance) {}

    // The first difference, or none. Throws TraceLines::Unusable.
    std::optional<Difference> run();

    std::int64_t stepsCompared() const { return steps_; }
    std::int64_t numbersCompared() const { return numbers_; }

    // How many doubles lie from one value to the other (-0 and 0 count as one).
    static std::uint64_t ulpsApart(double a, double b);

  private:
    // The reference's line that the given line of mine is to be compared with.
    nlohmann::json match(const nlohmann::json& mine);
    // Compares one key of the two lines, if mine has it; false at a difference.
    bool compareKey(const nlohmann::json& reference, const nlohmann::json& mine,
                    const std::string& key, const std::string& path);
    bool compareValues(const nlohmann::json& reference, const nlohmann::json& mine,
                       const std::string& path);
    bool compareStep(const nlohmann::json& reference, const nlohmann::json& mine);
    void differ(const std::string& path, const nlohmann::json& reference,
                const nlohmann::json& mine, std::optional<std::uint64_t> ulps);

    TraceLines& reference_;
    TraceLines& mine_;
    Tolerance tolerance_;
    std::optional<std::int64_t> step_;
    std::size_t layerCount_ = 0;
    std::optional<Difference> difference_;
    std::int64_t steps_ = 0;
    std::int64_t numbers_ = 0;
};
