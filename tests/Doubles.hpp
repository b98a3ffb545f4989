#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <vector>

// Bitwise, so that -0 differs from 0, and every NaN equals every NaN.
inline bool same(std::optional<double> got, double want) {
    return got && (std::isnan(want)
                       ? std::isnan(*got)
                       : std::bit_cast<std::uint64_t>(*got) == std::bit_cast<std::uint64_t>(want));
}

// Ties, extremes, infinities, NaNs, and values of every magnitude and random bit pattern.
inline std::vector<double> testDoubles() {
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
