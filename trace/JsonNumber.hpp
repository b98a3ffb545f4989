#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

// A double in a trace, exact: the shortest text that reads back to the same double, as
// std::to_chars writes it ("0.1", "1e-07", "123456789012345680"), but -0 as "-0.0", so that
// a JSON reader keeps its sign. JSON has no numbers for NaN and the infinities: they are the
// strings "NaN", "Infinity" and "-Infinity".
struct JsonNumber {
    // The longest text, "-2.2250738585072014e-308", and room to spare.
    static constexpr std::size_t longest = 32;

    // Writes the value's text into `text`, which has room for `longest` characters, and
    // returns its length.
    static std::size_t write(double value, char* text);
    // The same, made without std::to_chars, for standard libraries that have none for
    // doubles: from the C library's shortest digits where the two agree on a length.
    static std::size_t writeWithoutToChars(double value, char* text);

    // The double a JSON value of a trace stands for; nothing for a value that is neither a
    // number nor one of the three strings.
    static std::optional<double> read(const nlohmann::json& value);
};
