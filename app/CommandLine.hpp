#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>

#include "trace/TraceSteps.hpp"

// What the program's arguments ask for. It takes no operands: with no argument, or with
// --trace, it runs the dialogue; --help and --version answer instead.
class CommandLine {
  public:
    explicit CommandLine(std::span<const char* const> arguments);

    bool runsDialogue() const { return request_ == Request::dialogue; }
    // The file the run is traced into, if any, and which steps.
    const std::optional<std::string>& tracePath() const { return tracePath_; }
    const TraceSteps& traceSteps() const { return traceSteps_; }

    // Answers a request other than the dialogue: the usage, the version, or the
    // argument that is not the program's. Returns the exit status.
    int answer(std::ostream& out, std::ostream& err) const;

  private:
    enum class Request { dialogue, help, version, misuse };
    // The first misuse decides: what is wrong, in words for the user.
    void misuse(std::string why);
    // Takes the argument at `k`, and its option's value; says whether it gave the steps to
    // trace. Throws UsageError for an option whose value is missing.
    bool take(std::span<const char* const> arguments, std::size_t& k);

    Request request_ = Request::dialogue;
    std::string misused_;
    std::optional<std::string> tracePath_;
    TraceSteps traceSteps_;
};
