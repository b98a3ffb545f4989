#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sstream>

#include "ConsoleRun.hpp"
#include "DialogueRun.hpp"
#include "app/Dialogue.hpp"

namespace {

struct UnreadCase {
    const char* name;
    const char* input;
    // Input that every read takes and that leaves every element as the unreadable one
    // does: standard output must be the same.
    const char* readable;
    const char* diagnostic;
    friend void PrintTo(const UnreadCase& c, std::ostream* os) { *os << c.name; }
};

class UnreadableInput : public testing::TestWithParam<UnreadCase> {};

TEST_P(UnreadableInput, IsReportedWithoutChangingTheTranscript) {
    const DialogueRun run(GetParam().input);
    const DialogueRun clean(GetParam().readable);
    ASSERT_EQ(clean.status, 0);
    EXPECT_EQ(run.out, clean.out);
    EXPECT_EQ(run.err,
              std::string("neuronet: cannot read element ") + GetParam().diagnostic + "\n");
    EXPECT_EQ(run.status, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnreadableInput,
    testing::Values(UnreadCase{"letters", "1 abc 3 0.5 0.5 0.5", "1 0 0 0 0 0",
                               "[1] of the input vector: found \"abc\", not a number"},
                    UnreadCase{"sign alone", "1 2 3 - 0.5 0.5", "1 2 3 0 0 0",
                               "[0] of the target vector D: found \"-\", not a number"},
                    UnreadCase{"too large", "1e999 2 3 0.5 0.5 0.5", "0 0 0 0 0 0",
                               "[0] of the input vector: found \"1e999\", not a number"},
                    UnreadCase{"too large negative", "1 2 3 0.5 -1e999 0.5", "1 2 3 0.5 0 0",
                               "[1] of the target vector D: found \"-1e999\", not a number"},
                    UnreadCase{"glued text", "1 2x 3 0.5 0.5 0.5", "1 0 0 0 0 0",
                               "[1] of the input vector: found \"2x\", not a number"},
                    UnreadCase{"glued last number", "1 2 3 0.5 0.5 0.5x", "1 2 3 0.5 0.5 0",
                               "[2] of the target vector D: found \"0.5x\", not a number"},
                    UnreadCase{"control bytes", "1 \x1b[2J 3 0.5 0.5 0.5", "1 0 0 0 0 0",
                               "[1] of the input vector: found \"\\x1b[2J\", not a number"},
                    UnreadCase{"long text",
                               "1 2 3 0.5 0.5 aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
                               "1 2 3 0.5 0.5 0",
                               "[2] of the target vector D: found "
                               "\"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"..., not a number"},
                    UnreadCase{"end at input [0]", "", "0 0 0 0 0 0",
                               "[0] of the input vector: the input ended"},
                    UnreadCase{"end at input [1]", "1", "1 0 0 0 0 0",
                               "[1] of the input vector: the input ended"},
                    UnreadCase{"end at input [2]", "1 2\n", "1 2 0 0 0 0",
                               "[2] of the input vector: the input ended"},
                    UnreadCase{"end at target [0]", "1 2 3", "1 2 3 0 0 0",
                               "[0] of the target vector D: the input ended"},
                    UnreadCase{"end at target [1]", "1 2 3 0.5", "1 2 3 0.5 0 0",
                               "[1] of the target vector D: the input ended"},
                    UnreadCase{"end at target [2]", "1 2 3 0.5 0.5\n\n", "1 2 3 0.5 0.5 0",
                               "[2] of the target vector D: the input ended"}));

TEST(UnreadableInput, TheConsoleProgramReportsItToo) {
    const ConsoleRun run("1 2 3 0.5 oops 0.5\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "neuronet: cannot read element [1] of the target vector D: found \"oops\", not a "
              "number\n");
    EXPECT_EQ(run.out, DialogueRun("1 2 3 0.5 0 0").out);
    const ConsoleRun empty("");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err,
              "neuronet: cannot read element [0] of the input vector: the input ended\n");
}

TEST(FatalError, MemoryExhaustionEndsTheRunWithOneLine) {
    // A stream that runs out of memory when it is read.
    struct Exhausted : std::streambuf {
        int_type underflow() override { throw std::bad_alloc(); }
    } exhausted;
    std::istream in(&exhausted);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runProgram(in, out, err), 3);
    EXPECT_EQ(out.str(), "Enter vector [0] element: ");
    EXPECT_EQ(err.str(), "neuronet: out of memory\n");
}

}  // namespace
