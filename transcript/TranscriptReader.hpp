#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "transcript/LineSplitter.hpp"
#include "transcript/Thinning.hpp"
#include "transcript/Transcript.hpp"

// Reads one transcript of neuronet as it is written, fed its bytes as they come, in memory
// bounded by the transcript's shape: lines of at most 64 KiB, layers of at most 9 neurons,
// and a long run's steps thinned. At every line the run so far can be drawn. What neuronet
// cannot print is rejected: a number it cannot write, a layer wider than it builds, a
// report that disagrees with the run. Diagnostics of neuronet mixed into the transcript
// (its standard error, after the prompts) are passed over.
class TranscriptReader {
  public:
    // Why the text is not a whole transcript: what was expected, and on which line.
    struct Unusable : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    static constexpr std::size_t stepsKept = 2000;

    TranscriptReader() = default;
    TranscriptReader(const TranscriptReader&) = delete;
    TranscriptReader& operator=(const TranscriptReader&) = delete;

    // The next bytes of the transcript, which may end anywhere.
    void feed(std::string_view bytes);
    // The next line, without its line feed.
    void line(std::string_view text);
    // The end of the input, where the transcript must be whole, or reach the step given to
    // untilStep.
    void finish();
    // Reads the transcript only as far as step `k` (from 1), before its lines come: once the
    // step's output and error term have been read, the steps after it are passed over, and the
    // run stays as it was then, a run so far; a run whose training ended at step `k` is read
    // to its end. A transcript that ends, or whose training ends, before step `k` is unusable.
    void untilStep(std::int64_t k) { lastStep_ = k; }
    // The target, for an owner that knows it before the report prints it: the report's
    // own takes its place, and stands. Read as its printed figures give it, so that the
    // run drawn is the one the whole transcript gives. Needs the network to be known and
    // one finite element per output; throws std::invalid_argument otherwise.
    void setTarget(const std::vector<double>& target);

    // Reads on as if the transcript had shown `steps` steps since the target was asked for,
    // the steps kept then among those `logged`, with every `stride`-th step kept; their text
    // is not fed. Only before the first step, once the network is known.
    void resumeAt(std::int64_t steps, std::int64_t stride,
                  std::span<const Transcript::Step> logged);
    // Every how many steps those the run keeps lie.
    std::int64_t stride() const { return thinning_.stride(); }

    const Transcript& run() const { return run_; }
    // How many lines have been read.
    std::int64_t linesRead() const { return lineNumber_; }

  private:
    // What the next line should be; after the step read as far as, nothing more is read.
    enum class Expecting {
        input,
        layerCount,
        firstMatrix,
        weights,
        stepOrReport,
        errorTerm,
        reportOpening,
        report,
        nothing
    };
    // What an element of a vector's line may be: the input and the target are finite; an
    // output lies in the outputs' range or is not a number; an error term is not infinite.
    enum class Element { finite, output, errorTerm };
    static bool fits(double value, Element kind);

    // What the next line should be, for a diagnostic.
    std::string expectedNext() const;
    [[noreturn]] void unusable(std::string_view expected) const;
    // Reads a vector's line into `values`: `count` elements of the kind, or, where the count
    // is not known, at most as many as the widest layer has.
    void vector(std::string_view text, Element kind, std::optional<std::size_t> count,
                std::vector<double>& values, std::string_view expected) const;

    void readInput();
    void readLayerCount();
    void readFirstMatrix();
    void readWeights();
    std::size_t rowsDue() const;
    void readRow();
    void endMatrix();
    void readFirstOutput(std::string_view text);
    void readStepOrReport();
    void readStep(std::string_view text);
    void readErrorTerm();
    void readReportOpening();
    void readReport();
    // What the report's line holds after its start.
    void readReportContent(std::string_view text);
    void readReportedError(std::string_view text);

    Transcript run_;
    LineSplitter lines_{Contract::longestLine};
    Thinning thinning_{stepsKept};
    Expecting expecting_ = Expecting::input;
    // The weight matrix being read, and the line of the report expected next.
    std::size_t matrix_ = 0;
    std::size_t reportLine_ = 0;
    // The output as the first output line printed it, and as the last step's did: the
    // report prints them again.
    std::string firstOutput_;
    std::string lastOutput_;
    std::vector<double> values_;
    std::int64_t lineNumber_ = 0;
    // The line being read (during line()), or none at the end of the input.
    std::string_view line_;
    bool ended_ = false;
    // The step untilStep reads as far as (0 for every step), and whether its lines have been
    // read.
    std::int64_t lastStep_ = 0;
    bool stepReached_ = false;
};
