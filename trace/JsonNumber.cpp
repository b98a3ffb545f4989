#include "trace/JsonNumber.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#define FMT_HEADER_ONLY
#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace {

constexpr std::string_view notANumber = "\"NaN\"";
constexpr std::string_view infinity = "\"Infinity\"";
constexpr std::string_view negativeInfinity = "\"-Infinity\"";

std::size_t copied(std::string_view from, char* text) {
    return from.copy(text, from.size());
}

// What no shortest digits write: NaN, the infinities and -0; 0 when the value is none.
std::size_t special(double value, char* text) {
    if (std::isnan(value)) {
        return copied(notANumber, text);
    }
    if (std::isinf(value)) {
        return copied(value > 0 ? infinity : negativeInfinity, text);
    }
    return value == 0 && std::signbit(value) ? copied("-0.0", text) : 0;
}

// The shortest digits of a finite, positive value, without leading or trailing zeros, read off
// {fmt}'s shortest text of it; returns their count, and the power of ten they are multiplied by.
int shortestDigits(double magnitude, char* digits, int& exponent) {
    char general[JsonNumber::longest + 1];
    const char* const end = fmt::format_to_n(general, JsonNumber::longest, "{}", magnitude).out;
    int count = 0;
    bool afterPoint = false;
    exponent = 0;
    const char* c = general;
    for (; c < end && *c != 'e'; ++c) {
        if (*c == '.') {
            afterPoint = true;
        } else if (count > 0 || *c != '0') {
            digits[count++] = *c;
            exponent -= afterPoint ? 1 : 0;
        } else {
            exponent -= afterPoint ? 1 : 0;  // a leading zero after the point
        }
    }
    if (c < end) {
        exponent += std::atoi(std::string(c + 1, end).c_str());
    }
    for (; count > 1 && digits[count - 1] == '0'; --count) {
        ++exponent;
    }
    return count;
}

}  // namespace

std::size_t JsonNumber::write(double value, char* text) {
    if (const std::size_t length = special(value, text)) {
        return length;
    }
#ifdef NEURONET_DOUBLE_TO_CHARS
    return static_cast<std::size_t>(std::to_chars(text, text + longest, value).ptr - text);
#else
    return writeWithoutToChars(value, text);
#endif
}

// std::to_chars writes the shorter of the fixed and the scientific form, the fixed one on a
// tie; its fixed form of an integer beyond 2^53 gives the exact digits of the value.
std::size_t JsonNumber::writeWithoutToChars(double value, char* text) {
    if (const std::size_t length = special(value, text)) {
        return length;
    }
    char* out = text;
    if (std::signbit(value)) {
        *out++ = '-';
    }
    const double magnitude = std::fabs(value);
    if (magnitude == 0) {
        *out++ = '0';
        return static_cast<std::size_t>(out - text);
    }
    char digits[JsonNumber::longest];
    int exponent = 0;
    const int count = shortestDigits(magnitude, digits, exponent);
    const int whole = count + exponent;  // digits before the point, in the fixed form
    const int scale = whole - 1;         // the scientific form's exponent
    const int fixed = exponent >= 0 ? whole : whole > 0 ? count + 1 : 2 - whole + count;
    const int scientific = count + (count > 1 ? 1 : 0) + 2 + (std::abs(scale) >= 100 ? 3 : 2);
    const auto put = [&out](const char* from, int n) { out = std::copy(from, from + n, out); };
    if (fixed <= scientific && exponent >= 0 && magnitude >= 0x1p53) {
        out += std::snprintf(out, JsonNumber::longest, "%.0f", magnitude);
    } else if (fixed <= scientific && exponent >= 0) {
        put(digits, count);
        out = std::fill_n(out, exponent, '0');
    } else if (fixed <= scientific && whole > 0) {
        put(digits, whole);
        *out++ = '.';
        put(digits + whole, count - whole);
    } else if (fixed <= scientific) {
        put("0.", 2);
        out = std::fill_n(out, -whole, '0');
        put(digits, count);
    } else {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            put(digits + 1, count - 1);
        }
        out += std::snprintf(out, 8, "e%c%02d", scale < 0 ? '-' : '+', std::abs(scale));
    }
    return static_cast<std::size_t>(out - text);
}

std::optional<double> JsonNumber::read(const nlohmann::json& value) {
    if (value.is_number()) {
        return value.get<double>();
    }
    if (!value.is_string()) {
        return std::nullopt;
    }
    const auto& word = value.get_ref<const std::string&>();
    const auto quoted = [&word](std::string_view name) {
        return word == name.substr(1, name.size() - 2);
    };
    if (quoted(notANumber)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (quoted(infinity) || quoted(negativeInfinity)) {
        return word.front() == '-' ? -std::numeric_limits<double>::infinity()
                                   : std::numeric_limits<double>::infinity();
    }
    return std::nullopt;
}
