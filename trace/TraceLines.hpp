#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <streambuf>
#include <string>

#include <nlohmann/json.hpp>

#include "transcript/LineSplitter.hpp"

// The lines of one trace, each read as a JSON object, one at a time: memory bounded by the
// longest line a trace may have, whatever the trace's length.
class TraceLines {
  public:
    // Why a trace cannot be used: its name, the line, and what is wrong there.
    struct Unusable : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    static constexpr std::size_t longestLine = 1024 * 1024;

    // `name` is how a diagnostic calls the trace.
    TraceLines(std::streambuf& in, std::string name);

    // The next line, or nothing at the end of the trace: an object whose "kind" is "run",
    // "target", "step" or "end", a step's with its number as a whole number.
    std::optional<nlohmann::json> next();
    // The whole number at `key` of a line, written as one (7) or not (7.0); nothing for
    // anything else.
    static std::optional<std::int64_t> wholeNumber(const nlohmann::json& line, const char* key);
    [[noreturn]] void unusable(const std::string& why) const;
    std::int64_t lineNumber() const { return lineNumber_; }
    const std::string& name() const { return name_; }

  private:
    void judgeKind(const nlohmann::json& line) const;

    std::streambuf& in_;
    std::string name_;
    LineSplitter lines_{longestLine};
    std::unique_ptr<std::array<char, 64 * 1024>> chunk_;
    bool ended_ = false;
    std::int64_t lineNumber_ = 0;
};
