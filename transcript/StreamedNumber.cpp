#include "transcript/StreamedNumber.hpp"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <sstream>

#include "transcript/Contract.hpp"

void StreamedNumber::write(std::ostream& out, double value) {
    out << value;
}

std::string StreamedNumber::text(double value) {
    std::ostringstream out;
    write(out, value);
    return out.str();
}

std::optional<double> StreamedNumber::read(std::string_view text) {
    std::array<char, 32> terminated;
    if (text.empty() || text.size() >= terminated.size()) {
        return std::nullopt;
    }
    terminated[text.copy(terminated.data(), text.size())] = '\0';
    const double value = std::strtod(terminated.data(), nullptr);
    if (std::isnan(value)) {
        return text == "nan" || text == "-nan" ? std::optional(value) : std::nullopt;
    }
    std::array<char, 32> printed;
    std::snprintf(printed.data(), printed.size(), "%g", value);
    return text == printed.data() ? std::optional(value) : std::nullopt;
}

std::optional<double> StreamedNumber::readWeight(std::string_view text) {
    const auto value = read(text);
    if (!value || !(*value >= Contract::lowestWeight && *value <= Contract::highestWeight) ||
        std::round(*value * 100) / 100 != *value) {
        return std::nullopt;
    }
    return value;
}
