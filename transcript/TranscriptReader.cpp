#include "transcript/TranscriptReader.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "transcript/Contract.hpp"
#include "transcript/ElementText.hpp"
#include "transcript/Quoted.hpp"
#include "transcript/ReportCheck.hpp"
#include "transcript/StreamedNumber.hpp"

namespace {

std::string number(std::size_t n) {
    return std::to_string(n);
}

// The report's lines in order: the text each begins with (all of it, when it holds nothing
// more), what follows it, and what a diagnostic says was expected there (the text itself,
// quoted, when none is given).
enum class Content { none, firstOutput, target, lastOutput, limit, error, steps };
struct ReportLine {
    std::string_view start;
    Content content;
    const char* expected;
};
enum : std::size_t { targetLine = 4, limitLine = 6, endOfReport = 12 };
constexpr ReportLine reportLines[endOfReport] = {
    {Contract::rule, Content::none, "the report's rule"},
    {Contract::reportTitle, Content::none, nullptr},
    {"", Content::none, "an empty line"},
    {Contract::firstStepLabel, Content::firstOutput,
     "the report's first step, as step 1 printed it"},
    {Contract::targetLabel, Content::target, "the report's target, one number per output neuron"},
    {Contract::resultLabel, Content::lastOutput,
     "the report's result, as the last step printed it"},
    {Contract::limitLabel, Content::limit, "the report's limit"},
    {Contract::errorLabel, Content::error, "the report's error"},
    {Contract::stepsLabel, Content::steps, "the number of steps the transcript shows"},
    {Contract::rule, Content::none, "the report's closing rule"},
    {Contract::resultsFarewell, Content::none, "the first farewell line"},
    {Contract::weightsFarewell, Content::none, "the second farewell line"},
};

// "NN have 5 layers."
std::string layerCountLine() {
    return std::string(Contract::layerCountStart) + std::to_string(Contract::layerCount) +
           std::string(Contract::layerCountEnd);
}

// Takes the prompts that end no line off the front of the text.
std::string_view withoutPrompts(std::string_view text) {
    for (bool found = true; found;) {
        found = false;
        if (text.starts_with(Contract::targetPrompt)) {
            text.remove_prefix(Contract::targetPrompt.size());
            found = true;
        }
        const auto close = text.find(Contract::elementPromptEnd);
        if (text.starts_with(Contract::elementPromptStart) && close != text.npos) {
            text.remove_prefix(close + Contract::elementPromptEnd.size());
            found = true;
        }
    }
    return text;
}

}  // namespace

void TranscriptReader::feed(std::string_view bytes) {
    if (expecting_ == Expecting::nothing) {
        return;
    }
    lines_.take(bytes);
    while (const auto text = lines_.next()) {
        line(*text);
    }
}

void TranscriptReader::resumeAt(std::int64_t steps, std::int64_t stride,
                                std::span<const Transcript::Step> logged) {
    if (expecting_ != Expecting::stepOrReport || run_.stepCount != 0) {
        throw std::logic_error("a transcript is resumed only before its first step");
    }
    run_.steps = thinning_.resume(steps, stride, logged);
    run_.stepCount = steps;
}

void TranscriptReader::line(std::string_view text) {
    // After the step read as far as, the steps that follow are passed over; the end of a run
    // that ended there is read.
    if (stepReached_ && expecting_ == Expecting::stepOrReport &&
        withoutPrompts(text).starts_with(Contract::propagate)) {
        expecting_ = Expecting::nothing;
    }
    if (expecting_ == Expecting::nothing) {
        return;
    }
    ++lineNumber_;
    if (text.size() > Contract::longestLine) {
        throw Unusable("line " + std::to_string(lineNumber_) + ": a line longer than " +
                       number(Contract::longestLine / 1024) + " KiB, which no transcript has");
    }
    text = withoutPrompts(text);
    if (text.starts_with(Contract::diagnosticStart)) {
        return;
    }
    line_ = text;
    switch (expecting_) {
        case Expecting::input:
            return readInput();
        case Expecting::layerCount:
            return readLayerCount();
        case Expecting::firstMatrix:
            return readFirstMatrix();
        case Expecting::weights:
            return readWeights();
        case Expecting::stepOrReport:
            return readStepOrReport();
        case Expecting::errorTerm:
            return readErrorTerm();
        case Expecting::reportOpening:
            return readReportOpening();
        case Expecting::report:
            return readReport();
        case Expecting::nothing:
            return;
    }
}

void TranscriptReader::finish() {
    if (const auto text = lines_.last()) {
        line(*text);
    }
    ended_ = true;
    if (!run_.whole && !stepReached_) {
        unusable(expectedNext());
    }
}

void TranscriptReader::setTarget(const std::vector<double>& target) {
    if (!run_.networkKnown || target.size() != run_.outputCount() ||
        !std::all_of(target.begin(), target.end(), [](double d) { return std::isfinite(d); })) {
        throw std::invalid_argument(
            "a target needs the network, and one finite element per output");
    }
    if (reportLine_ > targetLine) {
        return;  // the report's own stands
    }
    run_.target.clear();
    std::transform(target.begin(), target.end(), std::back_inserter(run_.target),
                   ElementText::asPrinted);
    run_.targetKnown = true;
}

std::string TranscriptReader::expectedNext() const {
    switch (expecting_) {
        case Expecting::input:
            return "the input vector of " + number(Contract::inputSize) + " numbers";
        case Expecting::layerCount:
            return '"' + layerCountLine() + '"';
        case Expecting::firstMatrix:
            return "a weight matrix";
        case Expecting::weights:
            return matrix_ + 2 < Contract::layerCount ? "a row of weights or the next matrix"
                                                      : "a row of weights or the first output";
        case Expecting::stepOrReport:
            return run_.stepCount == 0 ? "the first training step"
                   : run_.stepCount < lastStep_
                       ? "step " + std::to_string(run_.stepCount + 1) + " (read as far as step " +
                             std::to_string(lastStep_) + ")"
                       : "a step or the report";
        case Expecting::errorTerm:
            return "a step's error term, one number per output neuron";
        case Expecting::reportOpening:
            return "the empty line that opens the report";
        case Expecting::nothing:
            break;
        case Expecting::report:
            if (reportLine_ == endOfReport) {
                return "the end of the input";
            }
            if (reportLine_ == limitLine) {
                return "the report's limit " + StreamedNumber::text(Contract::errorLimit);
            }
            const ReportLine& due = reportLines[reportLine_];
            return due.expected ? due.expected : '"' + std::string(due.start) + '"';
    }
    return "";
}

void TranscriptReader::unusable(std::string_view expected) const {
    // The end of the input stands where the next line would.
    throw Unusable("line " + std::to_string(lineNumber_ + (ended_ ? 1 : 0)) + ": expected " +
                   std::string(expected) + ", found " +
                   (ended_ ? std::string("the end of the input") : quoted(line_)));
}

bool TranscriptReader::fits(double value, Element kind) {
    switch (kind) {
        case Element::finite:
            return std::isfinite(value);
        case Element::output:
            return std::isnan(value) ||
                   (value >= Contract::lowestOutput && value <= Contract::highestOutput);
        case Element::errorTerm:
            return !std::isinf(value);
    }
    return false;
}

void TranscriptReader::vector(std::string_view text, Element kind, std::optional<std::size_t> count,
                              std::vector<double>& values, std::string_view expected) const {
    const std::size_t most = count.value_or(Contract::widestLayer);
    values.clear();
    while (!text.empty()) {
        // Every element ends at the space after it; a padded one begins with a space.
        const auto end = text.find(' ', text.starts_with(' ') ? 1 : 0);
        const auto value = end == text.npos ? std::nullopt : ElementText::read(text.substr(0, end));
        if (!value || !fits(*value, kind) || values.size() == most) {
            unusable(expected);
        }
        values.push_back(*value);
        text.remove_prefix(end + 1);
    }
    if (count && values.size() != *count) {
        unusable(expected);
    }
}

void TranscriptReader::readInput() {
    vector(line_, Element::finite, Contract::inputSize, run_.input, expectedNext());
    expecting_ = Expecting::layerCount;
}

void TranscriptReader::readLayerCount() {
    if (line_ != layerCountLine()) {
        unusable(expectedNext());
    }
    expecting_ = Expecting::firstMatrix;
}

void TranscriptReader::readFirstMatrix() {
    if (line_ != Contract::matrixHeader) {
        unusable(expectedNext());
    }
    run_.layerSizes.assign(1, Contract::inputSize);
    run_.weights.emplace_back();
    expecting_ = Expecting::weights;
}

// The rows of a weight matrix, a line each; then the next matrix or, after the last,
// the first output. A matrix's row count is the size of the layer it reads, its column
// count that of the layer it feeds; a matrix without rows shows no columns, so the next
// matrix's rows, or the output, tell them.
void TranscriptReader::readWeights() {
    const bool last = matrix_ + 2 == Contract::layerCount;
    if (line_.empty() || line_.starts_with('\t')) {
        readRow();
    } else if (!last && line_ == Contract::matrixHeader) {
        endMatrix();
        run_.weights.emplace_back();
        ++matrix_;
    } else if (last && line_.starts_with(Contract::propagate)) {
        endMatrix();
        readFirstOutput(line_.substr(Contract::propagate.size()));
    } else {
        unusable(expectedNext());
    }
}

// The rows a matrix has when the layer it reads is known (the input's size for the first,
// else the previous matrix's column count), or 0.
std::size_t TranscriptReader::rowsDue() const {
    if (matrix_ == 0) {
        return Contract::inputSize;
    }
    const auto& previous = run_.weights[matrix_ - 1];
    return previous.empty() ? 0 : previous.front().size();
}

// A row: a tab before every weight, or nothing for a row without columns.
void TranscriptReader::readRow() {
    auto& rows = run_.weights[matrix_];
    const std::size_t due = rowsDue();
    if (rows.size() == (due > 0 || matrix_ == 0 ? due : Contract::widestLayer)) {
        unusable("no more than " + std::to_string(rows.size()) +
                 " rows of weights, one per neuron of the layer the matrix reads");
    }
    const std::size_t widest = matrix_ == 0 ? Contract::widestFirstLayer : Contract::widestLayer;
    auto& row = rows.emplace_back();
    for (std::string_view rest = line_; !rest.empty();) {
        rest.remove_prefix(1);  // the tab
        const auto end = std::min(rest.find('\t'), rest.size());
        const auto value = StreamedNumber::readWeight(rest.substr(0, end));
        if (!value || row.size() == widest) {
            unusable("a row of at most " + number(widest) + " weights, each from " +
                     StreamedNumber::text(Contract::lowestWeight) + " to " +
                     StreamedNumber::text(Contract::highestWeight));
        }
        row.push_back(*value);
        rest.remove_prefix(end);
    }
    if (row.size() != rows.front().size()) {
        unusable("a row of as many weights as the row before");
    }
}

void TranscriptReader::endMatrix() {
    const auto& rows = run_.weights[matrix_];
    const std::size_t due = rowsDue();
    if ((matrix_ == 0 || due > 0) && rows.size() != due) {
        unusable(std::to_string(due) + " rows of weights, one per neuron of the layer before");
    }
    run_.layerSizes.back() = static_cast<std::int32_t>(rows.size());
    run_.layerSizes.push_back(rows.empty() ? 0 : static_cast<std::int32_t>(rows.front().size()));
}

// The output of the built network, before the target is asked for. After a layer without
// neurons the output's size shows only here.
void TranscriptReader::readFirstOutput(std::string_view text) {
    const bool sizeKnown = !run_.weights.back().empty();
    const std::string expected = "the first output, one number per output neuron (at most " +
                                 number(Contract::widestLayer) + ")";
    vector(text, Element::output, sizeKnown ? std::optional(run_.outputCount()) : std::nullopt,
           values_, expected);
    run_.layerSizes.back() = static_cast<std::int32_t>(values_.size());
    firstOutput_ = text;
    run_.networkKnown = true;
    expecting_ = Expecting::stepOrReport;
}

// A step, or once there was one, the line that says why training stopped or the empty
// line that opens the report.
void TranscriptReader::readStepOrReport() {
    if (line_.starts_with(Contract::propagate)) {
        return readStep(line_.substr(Contract::propagate.size()));
    }
    if (run_.stepCount == 0 || run_.stepCount < lastStep_) {
        unusable(expectedNext());
    }
    if (line_.starts_with(Contract::stopped)) {
        if (line_.size() == Contract::stopped.size()) {
            unusable("a reason after \"" + std::string(Contract::stopped) + '"');
        }
        run_.stopReason = line_.substr(Contract::stopped.size());
        expecting_ = Expecting::reportOpening;
        return;
    }
    readReportOpening();
}

void TranscriptReader::readStep(std::string_view text) {
    if (run_.stepCount == Contract::stepLimit) {
        unusable("the report after " + std::to_string(Contract::stepLimit) +
                 " steps, the most neuronet makes");
    }
    vector(text, Element::output, run_.outputCount(), values_,
           "a step's output, one number per output neuron");
    if (run_.stepCount == 0 && text != firstOutput_) {
        unusable("step 1's output, the same as the first output");
    }
    lastOutput_ = text;
    Transcript::Step step{++run_.stepCount, {}};
    std::copy(values_.begin(), values_.end(), step.output.begin());
    thinning_.add(run_.steps, step);
    expecting_ = Expecting::errorTerm;
}

void TranscriptReader::readErrorTerm() {
    vector(line_, Element::errorTerm, run_.outputCount(), values_, expectedNext());
    expecting_ = Expecting::stepOrReport;
    stepReached_ = run_.stepCount == lastStep_;
}

void TranscriptReader::readReportOpening() {
    if (!line_.empty()) {
        unusable(expectedNext());
    }
    run_.trainingOver = true;
    expecting_ = Expecting::report;
}

void TranscriptReader::readReport() {
    if (reportLine_ == endOfReport) {
        unusable(expectedNext());
    }
    const ReportLine& due = reportLines[reportLine_];
    if (due.content == Content::none ? line_ != due.start : !line_.starts_with(due.start)) {
        unusable(expectedNext());
    }
    readReportContent(line_.substr(due.start.size()));
    run_.whole = ++reportLine_ == endOfReport;
}

void TranscriptReader::readReportContent(std::string_view text) {
    const auto expect = [this, text](std::string_view printed) {
        if (text != printed) {
            unusable(expectedNext());
        }
    };
    switch (reportLines[reportLine_].content) {
        case Content::none:
            return;
        case Content::firstOutput:
            return expect(firstOutput_);
        case Content::lastOutput:
            return expect(lastOutput_);
        case Content::limit:
            return expect(StreamedNumber::text(Contract::errorLimit));
        case Content::steps:
            return expect(std::to_string(run_.stepCount));
        case Content::target:
            vector(text, Element::finite, run_.outputCount(), values_, expectedNext());
            run_.target = values_;
            run_.targetKnown = true;
            return;
        case Content::error:
            return readReportedError(text);
    }
}

// The report's error E must say what the run shows.
void TranscriptReader::readReportedError(std::string_view text) {
    const auto error = StreamedNumber::read(text);
    if (!error || (!std::isnan(*error) && std::signbit(*error))) {
        unusable("the report's error, as the program writes a number");
    }
    if (const std::string expected = ReportCheck::disagreement(run_, *error); !expected.empty()) {
        unusable(expected);
    }
    run_.reportedError = text;
}
