// The transcript's number formats where they are made: each writer writes what the C
// library writes, and each reader reads back from the writer's text the double that the C
// library reads from it, on ties, extremes, infinities, NaNs and values of every magnitude.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <charconv>

#include <nlohmann/json.hpp>

#include "trace/JsonNumber.hpp"
#include "transcript/ElementText.hpp"
#include "transcript/StreamedNumber.hpp"
#include "transcript/TypedNumber.hpp"
#include "web/GlibcExp.hpp"

namespace {

std::string printed(const char* format, double value) {
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Bitwise, so that -0 differs from 0, and every NaN equals every NaN.
bool same(std::optional<double> got, double want) {
    return got && (std::isnan(want)
                       ? std::isnan(*got)
                       : std::bit_cast<std::uint64_t>(*got) == std::bit_cast<std::uint64_t>(want));
}

std::vector<double> values() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> all{std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::max(),
                            -0.0,
                            0.0005,
                            999.9995,
                            inf,
                            -inf,
                            nan,
                            -nan};
    std::mt19937_64 bits(11);
    for (int k = -2000; k <= 20000; ++k) {
        all.push_back(k < 2000 ? k / 16.0 : std::ldexp(bits() >> 11 ^ -(k & 1), k % 80 - 60));
    }
    return all;
}

TEST(ElementText, IsTheCLibrarysAndReadsBack) {
    for (const double value : values()) {
        char text[ElementText::longest + 1];
        const std::string written(text, ElementText::write(value, text));
        ASSERT_EQ(written, printed("%4.3f ", value)) << value;
        const std::string unpadded = written.substr(0, written.size() - 1);
        ASSERT_TRUE(same(ElementText::read(unpadded), std::strtod(unpadded.c_str(), nullptr)))
            << written;
    }
    for (const std::string_view text : {"0.10", "1.0000", "01.000", ".123", "+1.000", "1e3", "nan",
                                        " 1.000", "-", "1,000", "--1.000"}) {
        EXPECT_EQ(ElementText::read(text), std::nullopt) << text;
    }
}

TEST(StreamedNumber, IsTheStreamsAndReadsBack) {
    for (const double value : values()) {
        const std::string written = StreamedNumber::text(value);
        ASSERT_EQ(written, printed("%g", value)) << value;
        ASSERT_TRUE(same(StreamedNumber::read(written), std::strtod(written.c_str(), nullptr)))
            << written;
    }
    for (int hundredths = 1; hundredths < 100; ++hundredths) {
        const double weight = hundredths / 100.0;
        EXPECT_TRUE(same(StreamedNumber::readWeight(StreamedNumber::text(weight)), weight));
    }
    for (const std::string_view text :
         {"0.10", "1", "0", "0.005", "0.123", "1e-02", "nan", "-0.5", "0.5 ", "inf", "1e400", ""}) {
        EXPECT_EQ(StreamedNumber::readWeight(text), std::nullopt) << text;
    }
}

// A trace's numbers: the shortest text that reads back, as std::to_chars writes it (so also
// where a standard library has none for doubles), -0 with its sign, NaN and the infinities
// as strings; a JSON reader reads each back to its double.
TEST(JsonNumber, IsTheShortestTextAndReadsBack) {
    for (const double value : values()) {
        char text[JsonNumber::longest], without[JsonNumber::longest], shortest[64];
        const std::string written(text, JsonNumber::write(value, text));
        ASSERT_EQ(written, std::string(without, JsonNumber::writeWithoutToChars(value, without)));
        char* end = std::to_chars(shortest, shortest + sizeof shortest, value).ptr;
        if (std::isfinite(value) && value != 0) {
            ASSERT_EQ(written, std::string(+shortest, end));
        }
        ASSERT_TRUE(same(JsonNumber::read(nlohmann::json::parse(written)), value)) << written;
    }
    EXPECT_EQ(JsonNumber::read(nlohmann::json::parse("[]")), std::nullopt);
    EXPECT_EQ(JsonNumber::read(nlohmann::json::parse("\"nan\"")), std::nullopt);
}

// A word is read as the stream's own extraction of a double reads it, when that takes the
// whole word; a value written with 17 digits reads back exactly.
TEST(TypedNumber, ReadsWholeWordsAsTheStreamDoes) {
    // Beside the forms the transcripts read (underflows among them, where standard libraries
    // differ: strtod's reading is the one the transcripts hold).
    for (const std::string word : {"5.", "00012", "+-1", ".", "e5", "1e", "1e+"}) {
        std::istringstream reference(word);
        double expected = 0.0;
        reference >> expected;
        const bool whole = !reference.fail() && reference.eof();
        EXPECT_TRUE(whole ? same(TypedNumber::read(word), expected) : !TypedNumber::read(word))
            << word;
    }
    for (const double value : values()) {
        if (std::isfinite(value)) {
            ASSERT_TRUE(same(TypedNumber::read(printed("%.17g", value)), value)) << value;
        }
    }
}

// The page's exp is the console program's: the GNU C library's on x86-64, which fuses its
// multiply-adds where the processor can; elsewhere the console computes another exp.
TEST(GlibcExp, IsTheCLibrarysOnLinux) {
#if defined(__x86_64__) && defined(__GLIBC__)
    if (!__builtin_cpu_supports("fma")) {
        GTEST_SKIP() << "without fused multiply-adds the C library computes exp otherwise";
    }
    std::mt19937_64 bits(5);
    std::vector<double> arguments{0.0, -0.0, 1e-300, 709.78, 709.79, -708.4, -745.1, -744.0};
    for (int k = 0; k < 3'000'000; ++k) {
        const double u = static_cast<double>(bits() >> 11) * 0x1p-53;
        arguments.push_back(k % 3 == 0   ? -0.13 + 0.12 * u
                            : k % 3 == 1 ? -40 + 80 * u
                                         : -760 + 1480 * u);
    }
    for (const double x : values()) {
        arguments.push_back(x);
    }
    for (const double x : arguments) {
        ASSERT_TRUE(same(GlibcExp::of(x), std::exp(x))) << x;
    }
#else
    GTEST_SKIP() << "the page's exp is the GNU C library's on x86-64";
#endif
}

}  // namespace
