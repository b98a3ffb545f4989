#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>

#include <nlohmann/json.hpp>

#include "Doubles.hpp"
#include "trace/JsonNumber.hpp"

namespace {

// A trace's numbers: the shortest text that reads back, as std::to_chars writes it (so also
// where a standard library has none for doubles), -0 with its sign, NaN and the infinities
// as strings; a JSON reader reads each back to its double.
TEST(JsonNumber, IsTheShortestTextAndReadsBack) {
    for (const double value : testDoubles()) {
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

}  // namespace
