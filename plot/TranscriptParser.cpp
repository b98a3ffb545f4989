#include "plot/TranscriptParser.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "console/Quoted.hpp"

namespace {

constexpr std::string_view rule = "-------------------------------------------------";
constexpr std::string_view propagate = "Propagate is: ";
constexpr std::string_view stopped = "Training stopped: ";

// The report's lines in order: the text each begins with (all of it, when `whole`), and
// what a diagnostic says was expected there.
struct ReportLine {
    std::string_view start;
    bool whole;
    const char* expected;
};
enum : std::size_t {
    firstStepLine = 3,
    targetLine = 4,
    resultLine = 5,
    errorLine = 7,
    stepsLine = 8,
    endOfReport = 12
};
constexpr ReportLine reportLines[endOfReport] = {
    {rule, true, "the report's rule"},
    {"BackPropagate is over:", true, "\"BackPropagate is over:\""},
    {"", true, "an empty line"},
    {"\tFirst step is: ", false, "the report's first step, as step 1 printed it"},
    {"\tD is: ", false, "the report's target, one number per output neuron"},
    {"\tResult is: ", false, "the report's result, as the last step printed it"},
    {"\tEmax is: 0.2", true, "the report's limit 0.2"},
    {"\tE is: ", false, "the report's error"},
    {"\tNumer of steps: ", false, "the number of steps the transcript shows"},
    {rule, true, "the report's closing rule"},
    {"Neuro result vector was deleted...", true, "the first farewell line"},
    {"Neuro matrixs was deleted...", true, "the second farewell line"},
};

// Takes the prompts that end no line off the front of the text.
std::string_view withoutPrompts(std::string_view text) {
    for (bool found = true; found;) {
        found = false;
        if (text.starts_with("Enter D vector: ")) {
            text.remove_prefix(16);
            found = true;
        }
        const auto close = text.find("] element: ");
        if (text.starts_with("Enter vector [") && close != text.npos) {
            text.remove_prefix(close + 11);
            found = true;
        }
    }
    return text;
}

// The longest text "%4.3f" makes of a double: a sign, 309 digits, the point and three
// decimals.
constexpr std::size_t longestElement = 314;

// What "%4.3f" makes of a double: digits, without leading zeros, and three decimals; or
// "nan" or "inf" padded to four characters; each perhaps with a minus sign. Nothing when
// the text is none of these.
std::optional<double> element(std::string_view text) {
    const bool negative = text.starts_with('-');
    const std::string_view magnitude = text.substr(negative || text.starts_with(' ') ? 1 : 0);
    if (text.size() == 4 && (magnitude == "nan" || magnitude == "inf")) {
        const double value = magnitude == "nan" ? std::numeric_limits<double>::quiet_NaN()
                                                : std::numeric_limits<double>::infinity();
        return negative ? -value : value;
    }
    constexpr std::string_view digits = "0123456789";
    if (text.size() > longestElement || text.starts_with(' ') || magnitude.size() < 5) {
        return std::nullopt;
    }
    const std::size_t point = magnitude.size() - 4;
    if (magnitude.find_first_not_of(digits) != point || magnitude[point] != '.' ||
        magnitude.find_first_not_of(digits, point + 1) != magnitude.npos ||
        (point > 1 && magnitude.front() == '0')) {
        return std::nullopt;
    }
    if (text.size() <= 16) {
        // At most fifteen digits: their thousandths make an exact integer, and one division
        // rounds it as reading the text would.
        double thousandths = 0;
        for (const char c : magnitude) {
            thousandths = c == '.' ? thousandths : thousandths * 10 + (c - '0');
        }
        return (negative ? -thousandths : thousandths) / 1000;
    }
    // A longer text must be a double's exact digits, and not beyond the largest.
    std::array<char, longestElement + 1> terminated;
    terminated[text.copy(terminated.data(), text.size())] = '\0';
    const double value = std::strtod(terminated.data(), nullptr);
    std::array<char, longestElement + 8> printed;
    std::snprintf(printed.data(), printed.size(), "%.3f", value);
    if (text != printed.data()) {
        return std::nullopt;
    }
    return value;
}

// A weight as the program prints it: hundredths from 0.01 to 0.99, written as "%g"
// writes them ("0.5", "0.07"). Nothing when the text is not such a weight.
std::optional<double> weight(std::string_view text) {
    const bool tenths = text.size() == 3;
    if (!(tenths || text.size() == 4) || !text.starts_with("0.") ||
        text.find_first_not_of("0123456789", 2) != text.npos || text.back() == '0') {
        return std::nullopt;
    }
    const int hundredths = tenths ? (text[2] - '0') * 10 : (text[2] - '0') * 10 + (text[3] - '0');
    return hundredths / 100.0;
}

// A double as the program's stream writes it: six significant digits as "%g" gives them,
// and "nan" (perhaps with a minus sign) or "inf" when so. Nothing when the text is not
// such a number.
std::optional<double> streamedNumber(std::string_view text) {
    std::array<char, 32> terminated;
    if (text.empty() || text.size() >= terminated.size()) {
        return std::nullopt;
    }
    terminated[text.copy(terminated.data(), text.size())] = '\0';
    const double value = std::strtod(terminated.data(), nullptr);
    if (std::isnan(value)) {
        return text == "nan" || text == "-nan" ? std::optional(value) : std::nullopt;
    }
    std::array<char, 32> printed;
    std::snprintf(printed.data(), printed.size(), "%g", value);
    return text == printed.data() ? std::optional(value) : std::nullopt;
}

double square(double x) {
    return x * x;
}

// Whether an error the program computed exactly can be the one reported, given the last
// step's output and the target with the three decimals the transcript shows. Each
// figure may be off by half a thousandth, and by what reading it back rounded (for a
// huge target, half its last place); the margin of 1e-5 takes in the six digits of the
// report's error and the rounding of the sums. Out of range or not a number, the sums
// tell so too.
bool agreesWithFigures(double reported, const Transcript::Step& last,
                       const std::vector<double>& target) {
    double low = 0.0;
    double high = 0.0;
    for (std::size_t m = 0; m < target.size(); ++m) {
        const double difference = std::fabs(last.output[m] - target[m]);
        const double uncertainty = 0.001 * (1 + 1e-9) + std::fabs(target[m]) * 0x1p-52;
        low += square(std::max(0.0, difference - uncertainty) * (1 - 1e-5));
        high += square((difference + uncertainty) * (1 + 1e-5));
    }
    if (std::isnan(high)) {
        return std::isnan(reported);
    }
    return low <= reported && reported <= high;
}

}  // namespace

void TranscriptParser::line(std::string_view text) {
    ++lineNumber_;
    if (text.size() > longestLine) {
        throw Unusable("line " + std::to_string(lineNumber_) +
                       ": a line longer than 64 KiB, which no transcript has");
    }
    text = withoutPrompts(text);
    if (text.starts_with("neuronet: ")) {
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
    }
}

void TranscriptParser::finish() {
    ended_ = true;
    if (!run_.whole) {
        unusable(expectedNext());
    }
}

void TranscriptParser::setTarget(const std::vector<double>& target) {
    if (!run_.networkKnown || target.size() != run_.outputCount() ||
        !std::all_of(target.begin(), target.end(), [](double d) { return std::isfinite(d); })) {
        throw std::invalid_argument(
            "a target needs the network, and one finite element per output");
    }
    if (reportLine_ > targetLine) {
        return;  // the report's own stands
    }
    run_.target.clear();
    for (const double element : target) {
        std::array<char, longestElement + 8> printed;
        std::snprintf(printed.data(), printed.size(), "%.3f", element);
        run_.target.push_back(std::strtod(printed.data(), nullptr));
    }
    run_.targetKnown = true;
}

const char* TranscriptParser::expectedNext() const {
    switch (expecting_) {
        case Expecting::input:
            return "the input vector of three numbers";
        case Expecting::layerCount:
            return "\"NN have 5 layers.\"";
        case Expecting::firstMatrix:
            return "a weight matrix";
        case Expecting::weights:
            return matrix_ < 3 ? "a row of weights or the next matrix"
                               : "a row of weights or the first output";
        case Expecting::stepOrReport:
            return run_.stepCount == 0 ? "the first training step" : "a step or the report";
        case Expecting::errorTerm:
            return "a step's error term, one number per output neuron";
        case Expecting::reportOpening:
            return "the empty line that opens the report";
        case Expecting::report:
            return reportLine_ < endOfReport ? reportLines[reportLine_].expected
                                             : "the end of the input";
    }
    return "";
}

void TranscriptParser::unusable(std::string_view expected) const {
    // The end of the input stands where the next line would.
    throw Unusable("line " + std::to_string(lineNumber_ + (ended_ ? 1 : 0)) + ": expected " +
                   std::string(expected) + ", found " +
                   (ended_ ? std::string("the end of the input") : quoted(line_)));
}

void TranscriptParser::vector(std::string_view text, Element kind, std::size_t most,
                              std::vector<double>& values, std::string_view expected) const {
    values.clear();
    while (!text.empty()) {
        // Every element ends at the space after it; a padded one begins with a space.
        const auto end = text.find(' ', text.starts_with(' ') ? 1 : 0);
        const auto value = end == text.npos ? std::nullopt : element(text.substr(0, end));
        const bool fits = value && (kind == Element::finite ? std::isfinite(*value)
                                    : kind == Element::output
                                        ? std::isnan(*value) || (*value >= 0.11 && *value <= 1.11)
                                        : !std::isinf(*value));
        if (!fits || values.size() == most) {
            unusable(expected);
        }
        values.push_back(*value);
        text.remove_prefix(end + 1);
    }
}

void TranscriptParser::readInput() {
    vector(line_, Element::finite, 3, run_.input, expectedNext());
    if (run_.input.size() != 3) {
        unusable(expectedNext());
    }
    expecting_ = Expecting::layerCount;
}

void TranscriptParser::readLayerCount() {
    if (line_ != "NN have 5 layers.") {
        unusable(expectedNext());
    }
    expecting_ = Expecting::firstMatrix;
}

void TranscriptParser::readFirstMatrix() {
    if (line_ != "Matrix is:") {
        unusable(expectedNext());
    }
    run_.layerSizes.assign(1, 3);  // the input's three neurons
    run_.weights.emplace_back();
    expecting_ = Expecting::weights;
}

// The rows of a weight matrix, a line each; then the next matrix or, after the fourth,
// the first output. A matrix's row count is the size of the layer it reads, its column
// count that of the layer it feeds; a matrix without rows shows no columns, so the next
// matrix's rows, or the output, tell them.
void TranscriptParser::readWeights() {
    const bool last = matrix_ == 3;
    if (line_.empty() || line_.starts_with('\t')) {
        readRow();
    } else if (!last && line_ == "Matrix is:") {
        endMatrix();
        run_.weights.emplace_back();
        ++matrix_;
    } else if (last && line_.starts_with(propagate)) {
        endMatrix();
        readFirstOutput(line_.substr(propagate.size()));
    } else {
        unusable(expectedNext());
    }
}

// The rows a matrix has when the layer it reads is known (its row count for the input,
// else the previous matrix's column count), or 0.
std::size_t TranscriptParser::rowsDue() const {
    if (matrix_ == 0) {
        return 3;
    }
    const auto& previous = run_.weights[matrix_ - 1];
    return previous.empty() ? 0 : previous.front().size();
}

// A row: a tab before every weight, or nothing for a row without columns. The first
// computed layer has at most 8 neurons, the others at most 9.
void TranscriptParser::readRow() {
    auto& rows = run_.weights[matrix_];
    const std::size_t due = rowsDue();
    if (rows.size() == (due > 0 || matrix_ == 0 ? due : Transcript::widestLayer)) {
        unusable("no more than " + std::to_string(rows.size()) +
                 " rows of weights, one per neuron of the layer the matrix reads");
    }
    const std::size_t widest = matrix_ == 0 ? 8 : Transcript::widestLayer;
    const char* expected = matrix_ == 0 ? "a row of at most 8 weights, each from 0.01 to 0.99"
                                        : "a row of at most 9 weights, each from 0.01 to 0.99";
    auto& row = rows.emplace_back();
    for (std::string_view rest = line_; !rest.empty();) {
        rest.remove_prefix(1);  // the tab
        const auto end = std::min(rest.find('\t'), rest.size());
        const auto value = weight(rest.substr(0, end));
        if (!value || row.size() == widest) {
            unusable(expected);
        }
        row.push_back(*value);
        rest.remove_prefix(end);
    }
    if (row.size() != rows.front().size()) {
        unusable("a row of as many weights as the row before");
    }
}

void TranscriptParser::endMatrix() {
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
void TranscriptParser::readFirstOutput(std::string_view text) {
    const bool sizeKnown = !run_.weights[3].empty();
    const char* expected = "the first output, one number per output neuron (at most 9)";
    vector(text, Element::output, sizeKnown ? run_.outputCount() : Transcript::widestLayer, values_,
           expected);
    if (!sizeKnown) {
        run_.layerSizes.back() = static_cast<std::int32_t>(values_.size());
    }
    if (values_.size() != run_.outputCount()) {
        unusable(expected);
    }
    firstOutput_ = text;
    run_.networkKnown = true;
    expecting_ = Expecting::stepOrReport;
}

// A step, or once there was one, the line that says why training stopped or the empty
// line that opens the report.
void TranscriptParser::readStepOrReport() {
    if (line_.starts_with(propagate)) {
        return readStep(line_.substr(propagate.size()));
    }
    if (run_.stepCount == 0) {
        unusable(expectedNext());
    }
    if (line_.starts_with(stopped)) {
        if (line_.size() == stopped.size()) {
            unusable("a reason after \"Training stopped: \"");
        }
        run_.stopReason = line_.substr(stopped.size());
        expecting_ = Expecting::reportOpening;
        return;
    }
    readReportOpening();
}

void TranscriptParser::readStep(std::string_view text) {
    if (run_.stepCount == mostSteps) {
        unusable("the report after 10000000 steps, the most neuronet makes");
    }
    const char* expected = "a step's output, one number per output neuron";
    vector(text, Element::output, run_.outputCount(), values_, expected);
    if (values_.size() != run_.outputCount()) {
        unusable(expected);
    }
    if (run_.stepCount == 0 && text != firstOutput_) {
        unusable("step 1's output, the same as the first output");
    }
    lastOutput_ = text;
    Transcript::Step step{++run_.stepCount, {}};
    std::copy(values_.begin(), values_.end(), step.output.begin());
    thinning_.add(run_.steps, step);
    expecting_ = Expecting::errorTerm;
}

void TranscriptParser::readErrorTerm() {
    vector(line_, Element::errorTerm, run_.outputCount(), values_, expectedNext());
    if (values_.size() != run_.outputCount()) {
        unusable(expectedNext());
    }
    expecting_ = Expecting::stepOrReport;
}

void TranscriptParser::readReportOpening() {
    if (!line_.empty()) {
        unusable(expectedNext());
    }
    run_.trainingOver = true;
    expecting_ = Expecting::report;
}

// The report: the first and the last step's output again, the target, the limit, the
// last error and the step count, then the farewell. Nothing follows.
void TranscriptParser::readReport() {
    const char* expected = expectedNext();
    if (reportLine_ == endOfReport) {
        unusable(expected);
    }
    const ReportLine& due = reportLines[reportLine_];
    if (due.whole ? line_ != due.start : !line_.starts_with(due.start)) {
        unusable(expected);
    }
    const std::string_view content = line_.substr(due.start.size());
    if ((reportLine_ == firstStepLine && content != firstOutput_) ||
        (reportLine_ == resultLine && content != lastOutput_) ||
        (reportLine_ == stepsLine && content != std::to_string(run_.stepCount))) {
        unusable(expected);
    }
    if (reportLine_ == targetLine) {
        vector(content, Element::finite, run_.outputCount(), values_, expected);
        if (values_.size() != run_.outputCount()) {
            unusable(expected);
        }
        run_.target = values_;
        run_.targetKnown = true;
    }
    if (reportLine_ == errorLine) {
        readReportedError(content);
    }
    run_.whole = ++reportLine_ == endOfReport;
}

// The report's error E must say what the run shows. A line saying why training stopped
// comes when E is above the limit or not a number, and only then; an E printed as "0.2"
// may lie on either side of the limit. And E is the last step's error, as far as the
// three-decimal figures tell.
void TranscriptParser::readReportedError(std::string_view text) {
    const auto error = streamedNumber(text);
    if (!error || (!std::isnan(*error) && std::signbit(*error))) {
        unusable("the report's error, as the program writes a number");
    }
    const bool stoppedEarly = !run_.stopReason.empty();
    if (!stoppedEarly && !(*error <= Transcript::errorLimit)) {
        unusable("an error within the limit 0.2, as no line said training stopped");
    }
    if (stoppedEarly && *error < Transcript::errorLimit) {
        unusable("an error above the limit 0.2, as a line said training stopped");
    }
    if (!agreesWithFigures(*error, run_.steps.back(), run_.target)) {
        unusable("the error of the last step's output, as its figures give it");
    }
    run_.reportedError = text;
}
