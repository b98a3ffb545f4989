// The transcript's number formats where they are made: each writer writes what the C
// library writes, and each reader reads back from the writer's text the double that the C
// library reads from it, on ties, extremes, infinities, NaNs and values of every magnitude.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "Doubles.hpp"
#include "transcript/ElementText.hpp"
#include "transcript/StreamedNumber.hpp"
#include "transcript/TypedNumber.hpp"

namespace {

std::string printed(const char* format, double value) {
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

TEST(ElementText, IsTheCLibrarysAndReadsBack) {
    for (const double value : testDoubles()) {
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
    for (const double value : testDoubles()) {
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
    for (const double value : testDoubles()) {
        if (std::isfinite(value)) {
            ASSERT_TRUE(same(TypedNumber::read(printed("%.17g", value)), value)) << value;
        }
    }
}

}  // namespace
