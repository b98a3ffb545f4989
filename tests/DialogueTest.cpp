#include "app/Dialogue.hpp"

#include <gtest/gtest.h>

#include <new>
#include <sstream>

namespace {

// Quoted, escaped where a terminal would act on the byte, cut after 40 characters.
TEST(Diagnostic, QuotesTheTextFoundSafely) {
    const std::string forty(40, 'x');
    for (const auto& [text, shown] : std::initializer_list<std::pair<std::string, std::string>>{
             {"two", "\"two\""},
             {"\"a\\b\"", "\"\\\"a\\\\b\\\"\""},
             {std::string("\x01\x1f\x7f\x80\xff", 5), "\"\\x01\\x1f\\x7f\\x80\\xff\""},
             {std::string(1, '\0'), "\"\\x00\""},
             {forty.substr(1), '"' + forty.substr(1) + '"'},
             {forty, '"' + forty + '"'},
             {forty + "y", '"' + forty + "\"..."},
             {std::string(39, 'x') + "\x1b[", '"' + std::string(39, 'x') + "\\x1b\"..."}}) {
        EXPECT_EQ(quoted(text), shown);
    }
}

TEST(FatalError, MemoryExhaustionEndsTheRunWithOneLine) {
    // A stream that runs out of memory when it is read.
    struct Exhausted : std::streambuf {
        int_type underflow() override { throw std::bad_alloc(); }
    } exhausted;
    std::istream in(&exhausted);
    std::ostringstream out, err;
    EXPECT_EQ(runProgram(in, out, err), 3);
    EXPECT_EQ(out.str(), "Enter vector [0] element: ");
    EXPECT_EQ(err.str(), "neuronet: out of memory\n");
}

}  // namespace
