#include "trace/JsonNumber.hpp"

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

// The shortest digits of a finite, positive value, without leading or trailing zeros, and
// the power of ten they are to be multiplied by, read off {fmt}'s shortest text of it.
int shortestDigits(double magnitude, std::string& digits) {
    char general[JsonNumber::longest];
    const char* end = fmt::format_to_n(general, sizeof general, "{}", magnitude).out;
    const std::string_view text(general, static_cast<std::size_t>(end - general));
    const auto e = text.find('e');
    int exponent = e == text.npos ? 0 : std::stoi(std::string(text.substr(e + 1)));
    bool afterPoint = false;
    for (const char c : text.substr(0, e)) {
        if (c == '.') {
            afterPoint = true;
        } else {
            digits += c;
            exponent -= afterPoint ? 1 : 0;
        }
    }
    digits.erase(0, digits.find_first_not_of('0'));
    for (; digits.size() > 1 && digits.back() == '0'; ++exponent) {
        digits.pop_back();
    }
    return exponent;
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
    const std::string sign = std::signbit(value) ? "-" : "";
    const double magnitude = std::fabs(value);
    if (magnitude == 0) {
        return copied("0", text);
    }
    std::string digits;
    const int exponent = shortestDigits(magnitude, digits);
    const int count = static_cast<int>(digits.size());
    const int scale = exponent + count - 1;  // the scientific form's exponent
    const std::string scientific = digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "") +
                                   (scale < 0 ? "e-" : "e+") + (std::abs(scale) < 10 ? "0" : "") +
                                   std::to_string(std::abs(scale));
    std::string fixed;
    if (exponent >= 0) {
        fixed = digits + std::string(static_cast<std::size_t>(exponent), '0');
    } else if (count + exponent > 0) {
        const auto whole = static_cast<std::size_t>(count + exponent);
        fixed = digits.substr(0, whole) + "." + digits.substr(whole);
    } else {
        fixed = "0." + std::string(static_cast<std::size_t>(-(count + exponent)), '0') + digits;
    }
    if (fixed.size() <= scientific.size() && magnitude >= 0x1p53) {
        char exact[JsonNumber::longest];
        std::snprintf(exact, sizeof exact, "%.0f", magnitude);
        fixed = exact;
    }
    return copied(sign + (fixed.size() <= scientific.size() ? fixed : scientific), text);
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
