// The transcript's reader against what it must reject, a table of literal lines beside
// their exact messages, against transcripts cut anywhere or fed a byte at a time, and read
// only as far as a step.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <tuple>

#include "TestFiles.hpp"
#include "plot/Picture.hpp"
#include "transcript/TranscriptReader.hpp"

namespace {

// A row of reader-rejections.tsv.
struct Rejection {
    std::string name, transcript, line, replacement, message;
    friend void PrintTo(const Rejection& r, std::ostream* out) { *out << r.name; }
};

std::vector<Rejection> rejections() {
    std::vector<Rejection> all;
    for (const auto& row : tableRows("reader-rejections.tsv")) {
        all.push_back({row.at(0), row.at(1), row.at(2), row.at(3), row.at(4)});
    }
    return all;
}

// The text with C's escapes \t, \n, \\ and \xHH resolved.
std::string unescaped(const std::string& text) {
    std::string plain;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '\\' || k + 1 == text.size()) {
            plain += text[k];
        } else if (const char c = text[++k]; c == 'x') {
            plain += static_cast<char>(std::stoi(text.substr(k + 1, 2), nullptr, 16));
            k += 2;
        } else {
            plain += c == 't' ? '\t' : c == 'n' ? '\n' : c;
        }
    }
    return plain;
}

// The transcript with the row's line replaced, deleted or made the end of the input.
std::string edited(const Rejection& r) {
    const std::string whole =
        r.transcript == "-" ? "" : fileText("transcripts/" + r.transcript + ".out");
    std::size_t start = 0;
    for (int n = std::stoi(r.line); n > 1 && start < whole.size(); --n) {
        start = whole.find('\n', start) + 1;
    }
    const std::size_t end = whole.find('\n', start);
    const std::size_t next = end == whole.npos ? whole.size() : end + 1;
    if (r.replacement == "(end)") {
        return whole.substr(0, start);
    }
    const std::string replacement =
        r.replacement == "(none)" ? "" : unescaped(r.replacement) + '\n';
    return whole.substr(0, start) + replacement + whole.substr(next);
}

// What the reader says of the text, fed in one piece: empty when it reads it whole.
std::string rejectionOf(const std::string& text) {
    TranscriptReader reader;
    try {
        reader.feed(text);
        reader.finish();
    } catch (const TranscriptReader::Unusable& unusable) {
        return unusable.what();
    }
    return "";
}

class Rejected : public testing::TestWithParam<Rejection> {};

TEST_P(Rejected, WithOneLineSayingWhatWasExpectedWhere) {
    EXPECT_EQ(rejectionOf(edited(GetParam())), GetParam().message);
}

// Each named by its case, in the letters a test's name may have.
std::string caseName(const testing::TestParamInfo<Rejection>& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Reader, Rejected, testing::ValuesIn(rejections()), caseName);

// Cut anywhere, a transcript is not whole; fed in pieces of any size, it is the same run.
TEST(TranscriptReader, RejectsEveryCutAndReadsAnyPieces) {
    const std::string whole = fileText("transcripts/platform-out-of-reach.out");
    for (std::size_t k = 0; k + 1 < whole.size(); ++k) {
        ASSERT_TRUE(rejectionOf(whole.substr(0, k)).starts_with("line ")) << k;
    }
    for (const std::size_t piece : {1, 2, 7, 4096}) {
        TranscriptReader reader;
        for (std::size_t k = 0; k < whole.size(); k += piece) {
            reader.feed(std::string_view(whole).substr(k, piece));
        }
        reader.finish();
        EXPECT_EQ(reader.run().stopReason.substr(0, 24), "the target is out of rea") << piece;
        EXPECT_EQ(reader.run().reportedError, "5.32801") << piece;
    }
}

// The transcript's text as far as step k: up to its error-term line, and the line after it
// that says training stopped, if there is one.
std::string asFarAs(const std::string& whole, std::int64_t k) {
    std::size_t at = whole.find("Enter D vector");
    for (; k > 0; --k) {
        at = whole.find("Propagate is: ", at + 1);
    }
    at = whole.find('\n', whole.find('\n', at) + 1) + 1;
    if (whole.compare(at, 18, "Training stopped: ") == 0) {
        at = whole.find('\n', at) + 1;
    }
    return whole.substr(0, at);
}

std::string picture(const Transcript& run) {
    std::ostringstream svg;
    Picture(run).write(svg);
    return svg.str();
}

// Read whole but only as far as a step, a transcript is in the state that its lines up to there
// leave a reader in, or, at the step training ended with, its whole; one that ends before the
// step is unusable.
TEST(TranscriptReader, ReadsOnlyAsFarAsAStep) {
    for (const auto& [name, step] :
         {std::pair("platform-out-of-reach", 1), std::pair("platform-long", 2718),
          std::pair("platform-long", 5203)}) {
        const bool last = step != 2718;
        const std::string whole = fileText("transcripts/" + std::string(name) + ".out");
        TranscriptReader untilStep;
        TranscriptReader fedAsFar;
        untilStep.untilStep(step);
        untilStep.feed(whole);
        untilStep.finish();
        fedAsFar.feed(last ? whole : asFarAs(whole, step));
        EXPECT_EQ(picture(untilStep.run()), picture(fedAsFar.run())) << name << step;
        EXPECT_EQ(untilStep.linesRead(), fedAsFar.linesRead()) << name << step;
        EXPECT_EQ(untilStep.run().stopReason, fedAsFar.run().stopReason) << name << step;
        EXPECT_EQ(untilStep.run().stopReason.empty(), step != 1) << name << step;
    }
    // Cut after step 99, and before step 100's error term.
    const std::string whole = fileText("transcripts/platform-long.out");
    const std::string step100 = asFarAs(whole, 100);
    for (const auto& [text, message] :
         {std::pair(asFarAs(whole, 99),
                    "line 222: expected step 100 (read as far as step 100), "
                    "found the end of the input"),
          std::pair(step100.substr(0, step100.rfind('\n', step100.size() - 2) + 1),
                    "line 223: expected a step's error term, one number per output neuron, found "
                    "the end of the input")}) {
        TranscriptReader reader;
        reader.untilStep(100);
        reader.feed(text);
        try {
            reader.finish();
            ADD_FAILURE() << "read whole: " << message;
        } catch (const TranscriptReader::Unusable& unusable) {
            EXPECT_STREQ(unusable.what(), message);
        }
    }
}

// Taken up after any checkpoint of a long run, from the steps kept since the checkpoint before
// and logged at each, the thinning keeps what it keeps having seen every step, to the end.
TEST(Thinning, ResumesFromTheStepsLoggedAtCheckpoints) {
    constexpr std::int64_t every = 4096;
    constexpr std::int64_t last = 40000;
    const auto numbers = [](const std::vector<Transcript::Step>& steps) {
        std::vector<std::int64_t> numbers;
        for (const Transcript::Step& step : steps) {
            numbers.push_back(step.number);
        }
        return numbers;
    };
    Thinning whole(TranscriptReader::stepsKept);
    std::vector<Transcript::Step> kept;
    std::vector<Transcript::Step> logged;
    std::vector<std::pair<std::int64_t, std::int64_t>> checkpoints;  // each step and stride
    for (std::int64_t n = 1; n <= last; ++n) {
        whole.add(kept, {n, {}});
        if (n % every == 0) {
            const std::int64_t before = checkpoints.empty() ? 0 : checkpoints.back().first;
            std::copy_if(kept.begin(), kept.end(), std::back_inserter(logged),
                         [before](const Transcript::Step& step) { return step.number > before; });
            checkpoints.emplace_back(n, whole.stride());
        }
    }
    for (const auto& [step, stride] : checkpoints) {
        Thinning resumed(TranscriptReader::stepsKept);
        std::vector<Transcript::Step> again = resumed.resume(step, stride, logged);
        for (std::int64_t n = step + 1; n <= last; ++n) {
            resumed.add(again, {n, {}});
        }
        EXPECT_EQ(numbers(again), numbers(kept)) << "resumed after step " << step;
    }
}

}  // namespace
