// Every dialogue in tests/transcripts, made by an independent model of the program, replayed
// in-process: standard output, standard error and exit status must match exactly, and the
// final weights to the last bit (the transcript shows three decimals; a changed order of
// summation shows only in the weights). Traced, every step is one that neuronet-compare's
// model of a step makes again, or it could name no mistake.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include <nlohmann/json.hpp>

#include "TestFiles.hpp"
#include "TranscriptPlatform.hpp"
#include "app/Dialogue.hpp"
#include "app/TraceRecorder.hpp"
#include "compare/LineComparison.hpp"
#include "compare/StepModel.hpp"
#include "trace/JsonNumber.hpp"

namespace {

// A line of a folder's cases.tsv: the name, the seed for std::srand, the step limit, the
// exit status.
struct Case {
    std::string folder, name, seed, limit, status;
    std::string file(const char* kind) const { return fileText(folder + "/" + name + kind); }
    // How GoogleTest names the case in its messages.
    friend void PrintTo(const Case& c, std::ostream* out) { *out << c.folder << '/' << c.name; }
};

std::vector<Case> cases(const std::string& folder) {
    std::vector<Case> all;
    for (const auto& row : tableRows(folder + "/cases.tsv")) {
        all.push_back({folder, row.at(0), row.at(1), row.at(2), row.at(3)});
    }
    return all;
}

// The number of the first line where the texts part, and both versions of that line.
std::string firstDifference(const std::string& want, const std::string& got) {
    const auto at = static_cast<std::size_t>(
        std::mismatch(want.begin(), want.end(), got.begin(), got.end()).first - want.begin());
    const std::size_t start = at == 0 ? 0 : want.rfind('\n', at - 1) + 1;
    const auto lineOf = [start](const std::string& text) {
        return '"' + text.substr(start, text.find('\n', start) - start) + '"';
    };
    return "line " + std::to_string(std::count(want.begin(), want.begin() + start, '\n') + 1) +
           ": expected " + lineOf(want) + ", actual " + lineOf(got);
}

// The first weight whose bits differ from the transcript's, or "" when every one agrees.
std::string firstWeightDifference(std::istream&& expected, std::span<const Matrix> weights) {
    for (std::size_t g = 0; g < weights.size(); ++g) {
        const Matrix& w = weights[g];
        std::int32_t rows = -1, cols = -1;
        if (!(expected >> rows >> cols) || rows != w.rows() || cols != w.cols()) {
            return "weights[" + std::to_string(g) + "] has another shape";
        }
        for (std::int32_t k = 0; k < rows * cols; ++k) {
            std::string want;
            expected >> want;
            const double got = w.get(k / cols, k % cols);
            const double wanted = std::strtod(want.c_str(), nullptr);
            // A NaN is "nan" whatever its sign and payload, which differ between processors.
            if (!(std::isnan(wanted) && std::isnan(got)) &&
                std::bit_cast<std::uint64_t>(wanted) != std::bit_cast<std::uint64_t>(got)) {
                return "weights[" + std::to_string(g) + "] element " + std::to_string(k) +
                       ": expected " + want + ", actual " + std::to_string(got);
            }
        }
    }
    return "";
}

// The weights of the last step a trace holds, shaped as its first line's sizes say.
std::vector<Matrix> lastTracedWeights(const std::string& trace) {
    const auto line = [&trace](std::size_t at) {
        return nlohmann::json::parse(trace.substr(at, trace.find('\n', at) - at));
    };
    const auto sizes = line(0)["sizes"];
    const auto layers = line(trace.rfind("{\"kind\":\"step\""))["layers"];
    std::vector<Matrix> weights;
    for (std::size_t g = 0; g < layers.size(); ++g) {
        Matrix& w =
            weights.emplace_back(sizes[g].get<std::int32_t>(), sizes[g + 1].get<std::int32_t>());
        for (std::int32_t i = 0; i < w.rows(); ++i) {
            for (std::int32_t j = 0; j < w.cols(); ++j) {
                w.set(i, j, JsonNumber::read(layers[g]["W"][i][j]).value());
            }
        }
    }
    return weights;
}

// The first traced step that neuronet-compare's model of a step does not make again, to the
// last bit, from the run's weights or the step before it; "" when it makes every one.
std::string firstStepNotRemade(const std::string& trace) {
    std::istringstream lines(trace);
    std::string text;
    std::vector<nlohmann::json> head;
    while (head.size() < 2 && std::getline(lines, text)) {
        head.push_back(nlohmann::json::parse(text));
    }
    const auto constants = StepModel::constantsOf(head.at(0), head.at(1));
    if (!constants) {
        return "no model of the run and target lines";
    }
    const StepModel model(*constants);
    auto state = model.initial(head[0]);
    for (std::int64_t step = 1; std::getline(lines, text) && text.starts_with("{\"kind\":\"step\"");
         ++step) {
        const nlohmann::json line = nlohmann::json::parse(text);
        const auto made = model.run(*state, {});
        if (const auto difference = LineComparison({}).compare("step", made->line(step), line)) {
            return "step " + std::to_string(step) + ": " + difference->path;
        }
        state = model.after(line);
    }
    return "";
}

class TranscriptReplay : public testing::TestWithParam<Case> {};

// Run as it stands, and again traced: the trace changes nothing of the dialogue, and its last
// step holds the final weights.
TEST_P(TranscriptReplay, IsReplayedExactlyAndTracedToTheLastWeight) {
    if (const std::string why = TranscriptPlatform::whyNot(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const Case& c = GetParam();
    for (const bool traced : {false, true}) {
        std::istringstream in(c.file(".in"));
        std::ostringstream out, err, trace;
        TraceRecorder recorder(trace, {});
        std::string weights = "training never ended";
        const auto compareWeights = [&](const NeuroNet& net) {
            weights =
                firstWeightDifference(std::istringstream(c.file(".weights")), net.weightMatrices());
        };
        std::srand(static_cast<unsigned>(std::stoul(c.seed)));
        const int status =
            runDialogue(in, out, err,
                        {.stepLimit = c.limit == "-" ? Contract::stepLimit : std::stoi(c.limit),
                         .trained = compareWeights,
                         .trace = traced ? &recorder : nullptr});
        if (traced) {
            weights = firstWeightDifference(std::istringstream(c.file(".weights")),
                                            lastTracedWeights(trace.str()));
            EXPECT_EQ(firstStepNotRemade(trace.str()), "");
        }
        const std::string wantOut = c.file(".out"), wantErr = c.file(".err");
        EXPECT_TRUE(out.str() == wantOut)
            << "standard output, " << firstDifference(wantOut, out.str());
        EXPECT_TRUE(err.str() == wantErr)
            << "standard error, " << firstDifference(wantErr, err.str());
        EXPECT_EQ(std::to_string(status), c.status);
        EXPECT_EQ(weights, "") << (traced ? "traced" : "");
    }
}

std::string caseName(const testing::TestParamInfo<Case>& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

// The shared standard, made by an independent model, and the project's own cases.
INSTANTIATE_TEST_SUITE_P(Shared, TranscriptReplay, testing::ValuesIn(cases("transcripts")),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Own, TranscriptReplay, testing::ValuesIn(cases("own-transcripts")),
                         caseName);

}  // namespace
