#include "app/Dialogue.hpp"

#include "app/CommandLine.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sstream>

namespace {

// Quoted, escaped where a terminal would act on the byte, cut after 40 characters. The
// transcripts hold a quote, a backslash, DEL and words of 40 and more characters.
TEST(Diagnostic, QuotesTheTextFoundSafely) {
    for (const auto& [text, shown] : std::initializer_list<std::pair<std::string, std::string>>{
             {std::string("\x01\x1f\x80\xff", 4), "\"\\x01\\x1f\\x80\\xff\""},
             {std::string(1, '\0'), "\"\\x00\""},
             {std::string(39, 'x'), '"' + std::string(39, 'x') + '"'},
             {std::string(39, 'x') + "\x1b[", '"' + std::string(39, 'x') + "\\x1b\"..."}}) {
        EXPECT_EQ(quoted(text), shown);
    }
}

// The allocation that comes this many allocations from now fails, once; -1: none does.
long allocationsBeforeFailure = -1;

// Memory that runs out anywhere, in reading, construction, training or the report, ends
// the run there: what was written so far, then one line, and nothing more.
TEST(FatalError, EveryAllocationThatFailsEndsTheRunWithOneLine) {
    std::string whole;
    for (long allocation = -1;; ++allocation) {
        std::istringstream in("1 2 3 0.5 0.5 0.5");
        std::ostringstream out, err;
        std::srand(1);
        allocationsBeforeFailure = allocation;
        const int status = runProgram(CommandLine({}), in, out, err);
        const bool failed = allocation >= 0 && allocationsBeforeFailure < 0;
        allocationsBeforeFailure = -1;
        if (allocation < 0) {
            whole = out.str();
        } else if (!failed) {
            EXPECT_EQ(out.str(), whole);
            EXPECT_GT(allocation, 20);
            break;
        } else {
            EXPECT_EQ(status, 3) << allocation;
            EXPECT_EQ(err.str(), "neuronet: out of memory\n") << allocation;
            EXPECT_TRUE(whole.starts_with(out.str())) << allocation;
        }
    }
}

}  // namespace

void* operator new(std::size_t size) {
    if (allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0) {
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
