#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "plot/Transcript.hpp"

// Reads one whole transcript of neuronet, line by line, in memory that does not grow
// with its length: a line is kept to 64 KiB and a long run's steps are thinned. Standard
// error mixed into it (a diagnostic after the prompts) is passed over.
class TranscriptReader {
  public:
    // Why the text is not a whole transcript: what was expected, and where.
    struct Unusable : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    static constexpr std::size_t stepsKept = 2000;

    explicit TranscriptReader(std::istream& in) : in_(in) {}
    Transcript read();

  private:
    // The next line, without the prompts in front of it and passing over diagnostics;
    // false at the end of the input.
    bool nextLine();
    // The next line, which must be there: `expected` says what it should hold.
    const std::string& expectLine(const char* expected);
    // The rest of the next line after `label`, which it must begin with.
    std::string_view expectLabel(std::string_view label, const char* expected);
    [[noreturn]] void unusable(const char* expected) const;
    // The numbers of a line, separated by white space.
    std::vector<double> numbers(std::string_view text, const char* expected) const;

    void readConstruction(Transcript& run);
    void readSteps(Transcript& run);
    void readReport(Transcript& run);

    std::istream& in_;
    std::string line_;
    bool ended_ = false;
    std::int64_t lineNumber_ = 0;
};
