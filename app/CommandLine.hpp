#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>

#include "trace/TraceSteps.hpp"
#include "transcript/Contract.hpp"

// What the program's arguments ask for. It takes no operands: with no argument, or with
// --seed, --step-limit or --trace, it runs the dialogue; --help and --version answer instead.
class CommandLine {
  public:
    explicit CommandLine(std::span<const char* const> arguments);

    bool runsDialogue() const { return request_ == Request::dialogue; }
    // The file the run is traced into, if any, and which steps.
    const std::optional<std::string>& tracePath() const { return tracePath_; }
    const TraceSteps& traceSteps() const { return traceSteps_; }
    // The seed given to std::srand before the run, if any, and the most steps it trains.
    const std::optional<std::uint32_t>& seed() const { return seed_; }
    std::int32_t stepLimit() const { return stepLimit_; }

    // Answers a request other than the dialogue: the usage, the version, or the
    // argument that is not the program's. Returns the exit status.
    int answer(std::ostream& out, std::ostream& err) const;

  private:
    enum class Request { dialogue, help, version, misuse };
    // What is wrong, in words for the user.
    void misuse(std::string why);
    // Takes the argument at `k`, and its option's value; says whether it gave the steps to
    // trace. Throws UsageError for an option whose value is missing.
    bool take(std::span<const char* const> arguments, std::size_t& k);

    Request request_ = Request::dialogue;
    std::string misused_;
    std::optional<std::string> tracePath_;
    TraceSteps traceSteps_;
    std::optional<std::uint32_t> seed_;
    std::int32_t stepLimit_ = Contract::stepLimit;
};
