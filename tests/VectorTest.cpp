#include "linalg/Vector.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>

#include "ConsoleCapture.hpp"
#include "Values.hpp"
#include "linalg/Matrix.hpp"

namespace {

using Elements = std::vector<double>;

// Each element's text must be what the C library's "%4.3f " makes of it: ties at the
// fourth decimal, extremes, infinities, NaNs and values of every magnitude.
TEST(VectorPrint, MatchesTheCLibraryAndFlushesOnce) {
    EXPECT_EQ(printOf(Vector(0)), "\n");
    EXPECT_EQ(printOf(Vector()), "0.000 \n");
    Elements values{std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
                    -0.0, 0.0005, 999.9995};
    std::mt19937_64 bits(11);
    for (int k = -2000; k <= 20000; ++k) {
        values.push_back(k < 2000 ? k / 16.0 : std::ldexp(bits() >> 11 ^ -(k & 1), k % 80 - 60));
    }
    for (const double value : values) {
        ASSERT_EQ(printOf(vectorOf({value})), printed("%4.3f ", value) + "\n") << value;
    }
    // No number read is infinite: infinities come from overflow, a NaN from their difference.
    const auto infinite = vectorOf({1e300, -1e300}) * matrixOf({{1e300, 0}, {0, 1e300}});
    const Vector nan = *(*infinite - *infinite);
    EXPECT_EQ(printOf(*infinite), " inf -inf \n");
    EXPECT_EQ(printOf(nan), printed("%4.3f ", nan.get(0)) + printed("%4.3f ", nan.get(1)) + "\n");
    EXPECT_EQ(flushesOf([](std::ostream& out) { vectorOf({1.0, 2.0}).print(out); }), 1);
}

// A word is read as the stream's own extraction of a double reads it, and only when that
// takes the whole word; otherwise the element keeps its value and every later read fails.
// A word longer than 64 KiB is unreadable, whatever it spells.
TEST(VectorInput, ReadsWholeWordsAsTheStreamDoes) {
    const std::string longest = "0." + std::string(64 * 1024 - 3, '0') + "1",
                      longer = longest + "1";
    for (const std::string word :
         {".5",      "5.",   "-0",    "+7",     "00012", "2E2", "1e-320",        "4.9e-324",
          "-1e-400", "-",    "+-1",   ".",      "e5",    "1e",  "1e+",           "1.5.3",
          "2x",      "0x10", "1e999", "-1e999", "inf",   "nan", longest.c_str(), longer.c_str()}) {
        std::istringstream reference(word);
        double expected = 0.0;
        reference >> expected;
        const bool whole = !reference.fail() && reference.eof() && word.size() <= longest.size();
        Vector vector = vectorOf({9.0, 9.0});
        std::istringstream in(word + " 3");
        std::ostringstream prompts;
        const auto failure = vector.input(in, prompts);
        EXPECT_EQ(prompts.str(), "Enter vector [0] element: Enter vector [1] element: ");
        EXPECT_EQ(failure, whole ? std::nullopt : std::optional(Vector::ReadFailure{0, word}));
        EXPECT_EQ(std::bit_cast<std::uint64_t>(vector.get(0)),
                  std::bit_cast<std::uint64_t>(whole ? expected : 9.0))
            << word;
        EXPECT_EQ(vector.get(1), whole ? 3.0 : 9.0) << word;
    }
}

TEST(VectorArithmetic, ComputesAndNamesEveryMismatchOnce) {
    ConsoleCapture console;
    const Vector left = vectorOf({1.0, 2.0});
    EXPECT_EQ(elementsOf(*(left - vectorOf({0.5, 3.0}))), (Elements{0.5, -1.0}));
    EXPECT_EQ(elementsOf(*(left * matrixOf({{3, 4}, {5, 6}}))), (Elements{13.0, 16.0}));
    // Summed over rows from 0 up, starting at +0.0: 1e16 + 1 rounds back to 1e16.
    EXPECT_EQ(elementsOf(*(vectorOf({1e16, 1.0, -1e16}) * matrixOf({{1}, {1}, {1}}))), Elements{0});
    EXPECT_EQ(elementsOf(left), (Elements{1.0, 2.0}));
    EXPECT_EQ(console.text.str(), "");
    // A mismatch gives zeros, as many as the right operand's elements or columns.
    const std::string minus = "Error! '-' is bad operation for Vector!\n",
                      times = "Error '*' operation!!!\n";
    for (const auto& [size, rows, cols, message] : {std::tuple{3, 2, -1, minus},
                                                    {2, 3, -1, minus},
                                                    {0, 0, -1, ""},
                                                    {3, 2, 4, times},
                                                    {0, 1, 2, times},
                                                    {3, 3, 0, ""},
                                                    {0, 0, 4, ""}}) {
        ConsoleCapture mismatch;
        const auto result =
            cols < 0 ? Vector(size) - Vector(rows) : Vector(size) * Matrix(rows, cols);
        EXPECT_EQ(elementsOf(*result), Elements(cols < 0 ? rows : cols, 0.0)) << size << rows;
        EXPECT_EQ(mismatch.text.str(), message) << size << rows;
    }
}

TEST(VectorCopies, AreDeepAndSurviveSelfAssignment) {
    Vector source = vectorOf({1.0, 2.0});
    Vector copied(source);
    Vector assigned;
    assigned = source;
    source.activate(0.11, 0.11, 1);  // skipped
    EXPECT_EQ(elementsOf(source), (Elements{1.0, 2.0}));
    source.activate(0.11, 0.11, 0);
    EXPECT_EQ(elementsOf(source),
              (Elements{1 / (std::exp(-0.11) + 1) + 0.11, 1 / (std::exp(-0.22) + 1) + 0.11}));
    EXPECT_EQ(elementsOf(copied), (Elements{1.0, 2.0}));
    EXPECT_EQ(elementsOf(assigned), (Elements{1.0, 2.0}));
    const Vector& alias = assigned;
    assigned = alias;
    EXPECT_EQ(elementsOf(assigned), (Elements{1.0, 2.0}));
    assigned.resize(3);
    EXPECT_EQ(elementsOf(assigned), Elements(3, 0.0));
}

}  // namespace
