#include "transcript/ElementText.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

// Writes a finite element with three decimals, as "%.3f" does, and returns the length: the
// exact binary value rounded to the nearest thousandth, ties to even, as the C library
// rounds it. Below 2^53 in magnitude that is integer arithmetic on the value's own bits,
// faster than the C library's general formatting; larger values, rare, are left to it.
std::size_t fixedThree(double element, char* text) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(element), &exponent);
    const int shift = 53 - exponent;  // |element| is mantissa / 2^shift
    if (shift <= 0) {
        return static_cast<std::size_t>(
            std::snprintf(text, ElementText::longest + 1, "%.3f", element));
    }
    // mantissa < 2^53, so a thousand times it stays below 2^63.
    const auto thousandths = static_cast<std::uint64_t>(std::ldexp(fraction, 53)) * 1000;
    std::uint64_t rounded = 0;  // from 2^63 / 2^64 on, less than half a thousandth
    if (shift < 64) {
        rounded = thousandths >> shift;
        const std::uint64_t rest = thousandths - (rounded << shift);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        rounded += rest > half || (rest == half && rounded % 2 == 1) ? 1 : 0;
    }
    char* end = text;
    if (std::signbit(element)) {
        *end++ = '-';
    }
    end = std::to_chars(end, text + ElementText::longest + 1, rounded / 1000).ptr;
    const auto decimals = static_cast<int>(rounded % 1000);
    *end++ = '.';
    *end++ = static_cast<char>('0' + decimals / 100);
    *end++ = static_cast<char>('0' + decimals / 10 % 10);
    *end++ = static_cast<char>('0' + decimals % 10);
    return static_cast<std::size_t>(end - text);
}

}  // namespace

// A finite value never needs the padding to the width of 4. Infinities and NaNs are rare,
// and standard libraries spell them their own way ("-nan(ind)"), so the C library writes
// those itself.
std::size_t ElementText::write(double element, char* text) {
    const std::size_t length =
        std::isfinite(element)
            ? fixedThree(element, text)
            : static_cast<std::size_t>(std::snprintf(text, longest + 1, "%4.3f", element));
    text[length] = ' ';
    return length + 1;
}

// Digits without leading zeros and three decimals, or "nan" or "inf" padded to four
// characters; each perhaps with a minus sign.
std::optional<double> ElementText::read(std::string_view text) {
    const bool negative = text.starts_with('-');
    const std::string_view magnitude = text.substr(negative || text.starts_with(' ') ? 1 : 0);
    if (text.size() == 4 && (magnitude == "nan" || magnitude == "inf")) {
        const double value = magnitude == "nan" ? std::numeric_limits<double>::quiet_NaN()
                                                : std::numeric_limits<double>::infinity();
        return negative ? -value : value;
    }
    constexpr std::string_view digits = "0123456789";
    if (text.size() >= longest || text.starts_with(' ') || magnitude.size() < 5) {
        return std::nullopt;
    }
    const std::size_t point = magnitude.size() - 4;
    if (magnitude.find_first_not_of(digits) != point || magnitude[point] != '.' ||
        magnitude.find_first_not_of(digits, point + 1) != magnitude.npos ||
        (point > 1 && magnitude.front() == '0')) {
        return std::nullopt;
    }
    if (text.size() <= 16) {
        // At most fifteen digits: their thousandths make an exact integer, and one division
        // rounds it as reading the text would.
        double thousandths = 0;
        for (const char c : magnitude) {
            thousandths = c == '.' ? thousandths : thousandths * 10 + (c - '0');
        }
        return (negative ? -thousandths : thousandths) / 1000;
    }
    // A longer text must be a double's exact digits, and not beyond the largest.
    std::array<char, longest + 1> terminated;
    terminated[text.copy(terminated.data(), text.size())] = '\0';
    const double value = std::strtod(terminated.data(), nullptr);
    std::array<char, longest + 1> printed;
    if (text != std::string_view(printed.data(), write(value, printed.data()) - 1)) {
        return std::nullopt;
    }
    return value;
}

double ElementText::asPrinted(double element) {
    std::array<char, longest + 1> text;
    const std::size_t length = write(element, text.data()) - 1;
    const std::string_view printed(text.data(), length);
    // A value written with padding ("nan" as " nan") reads back the same.
    return read(printed).value_or(element);
}
