#include "plot/TranscriptReader.hpp"

#include <charconv>
#include <istream>

#include "console/Quoted.hpp"
#include "plot/Thinning.hpp"

namespace {

constexpr std::size_t longestLine = 64 * 1024;
constexpr std::int32_t widestLayer = 9;
const std::string rule(49, '-');

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

}  // namespace

bool TranscriptReader::nextLine() {
    using Traits = std::istream::traits_type;
    std::streambuf& buffer = *in_.rdbuf();
    do {
        if (Traits::eq_int_type(buffer.sgetc(), Traits::eof())) {
            ended_ = true;
            return false;
        }
        ++lineNumber_;
        line_.clear();
        for (auto c = buffer.sbumpc(); !Traits::eq_int_type(c, Traits::eof()) && c != '\n';
             c = buffer.sbumpc()) {
            if (line_.size() == longestLine) {
                throw Unusable("line " + std::to_string(lineNumber_) +
                               ": a line longer than 64 KiB, which no transcript has");
            }
            line_ += Traits::to_char_type(c);
        }
        line_ = withoutPrompts(line_);
    } while (line_.starts_with("neuronet: "));
    return true;
}

void TranscriptReader::unusable(const char* expected) const {
    // The end of the input stands where the next line would.
    throw Unusable("line " + std::to_string(lineNumber_ + (ended_ ? 1 : 0)) + ": expected " +
                   expected + ", found " +
                   (ended_ ? std::string("the end of the input") : quoted(line_)));
}

const std::string& TranscriptReader::expectLine(const char* expected) {
    if (!nextLine()) {
        unusable(expected);
    }
    return line_;
}

std::string_view TranscriptReader::expectLabel(std::string_view label, const char* expected) {
    if (!expectLine(expected).starts_with(label)) {
        unusable(expected);
    }
    return std::string_view(line_).substr(label.size());
}

std::vector<double> TranscriptReader::numbers(std::string_view text, const char* expected) const {
    std::vector<double> values;
    while (true) {
        const auto start = text.find_first_not_of(" \t");
        if (start == text.npos) {
            return values;
        }
        text.remove_prefix(start);
        double value = 0.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() ||
            (end != text.data() + text.size() && *end != ' ' && *end != '\t')) {
            unusable(expected);
        }
        values.push_back(value);
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    }
}

Transcript TranscriptReader::read() {
    Transcript run;
    readConstruction(run);
    readSteps(run);
    readReport(run);
    return run;
}

// The input, the layer count and the four weight matrices. A matrix's row count is the
// size of the layer it reads, its column count that of the layer it feeds; a matrix
// without rows shows no columns, so the next matrix's rows, or the output, tell them.
void TranscriptReader::readConstruction(Transcript& run) {
    run.input = numbers(expectLine("the input vector"), "the input vector");
    if (run.input.size() != 3) {
        unusable("the input vector of three numbers");
    }
    if (expectLine("\"NN have 5 layers.\"") != "NN have 5 layers.") {
        unusable("\"NN have 5 layers.\"");
    }
    run.layerSizes = {3};
    expectLabel("Matrix is:", "a weight matrix");
    for (std::size_t g = 0; g < 4; ++g) {
        auto& rows = run.weights.emplace_back();
        while (expectLine("a row of weights").starts_with('\t') || line_.empty()) {
            rows.push_back(numbers(line_, "a row of weights"));
            if (rows.back().size() != rows.front().size() || rows.back().size() > widestLayer) {
                unusable("a row of as many weights as the row before, at most 9");
            }
        }
        const auto rowCount = static_cast<std::int32_t>(rows.size());
        if (rowCount != run.layerSizes.back() && !(g > 0 && run.weights[g - 1].empty())) {
            unusable(g == 0 ? "three rows of weights" : "a row of weights per neuron");
        }
        run.layerSizes.back() = rowCount;
        const bool last = g == 3;
        if (!line_.starts_with(last ? "Propagate is: " : "Matrix is:")) {
            unusable(last ? "the first output" : "a weight matrix");
        }
        run.layerSizes.push_back(rows.empty() ? 0 : static_cast<std::int32_t>(rows[0].size()));
    }
    const auto outputs = numbers(std::string_view(line_).substr(14), "the first output");
    if (run.weights[3].empty()) {
        run.layerSizes.back() = static_cast<std::int32_t>(outputs.size());
    }
    if (outputs.size() != static_cast<std::size_t>(run.layerSizes.back())) {
        unusable("the first output, one number per output neuron");
    }
}

// Every step: its output, then the output layer's error term. After the last one, a
// line that says why training stopped, or the empty line that opens the report.
void TranscriptReader::readSteps(Transcript& run) {
    const auto n = static_cast<std::size_t>(run.layerSizes.back());
    Thinning thinning(stepsKept);
    while (expectLine("a step or the report").starts_with("Propagate is: ")) {
        auto output = numbers(std::string_view(line_).substr(14), "a step's output");
        if (output.size() != n) {
            unusable("a step's output, one number per output neuron");
        }
        if (numbers(expectLine("a step's error term"), "a step's error term").size() != n) {
            unusable("a step's error term, one number per output neuron");
        }
        thinning.add({++run.stepCount, std::move(output)});
    }
    if (run.stepCount == 0) {
        unusable("the first training step");
    }
    if (line_.starts_with("Training stopped: ")) {
        run.stopReason = line_.substr(18);
        expectLine("the report");
    }
    if (!line_.empty()) {
        unusable("a step or the report");
    }
    run.steps = std::move(thinning).steps();
}

void TranscriptReader::readReport(Transcript& run) {
    expectLabel(rule, "the report's rule");
    expectLabel("BackPropagate is over:", "\"BackPropagate is over:\"");
    expectLine("an empty line");
    expectLabel("\tFirst step is: ", "the report's first step");
    run.target = numbers(expectLabel("\tD is: ", "the report's target"), "the report's target");
    if (run.target.size() != static_cast<std::size_t>(run.layerSizes.back())) {
        unusable("the report's target, one number per output neuron");
    }
    expectLabel("\tResult is: ", "the report's result");
    expectLabel("\tEmax is: ", "the report's limit");
    expectLabel("\tE is: ", "the report's error");
    const auto steps = expectLabel("\tNumer of steps: ", "the report's number of steps");
    if (steps != std::to_string(run.stepCount)) {
        unusable("the number of steps the transcript shows");
    }
    expectLabel(rule, "the report's closing rule");
    expectLabel("Neuro result vector was deleted...", "the first farewell line");
    expectLabel("Neuro matrixs was deleted...", "the second farewell line");
}
