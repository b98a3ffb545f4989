#pragma once

#include <cstddef>
#include <optional>

#include <nlohmann/json.hpp>

#include "compare/Diagnosis.hpp"
#include "compare/LineComparison.hpp"

// A difference said plainly, with no step made again: a seed, a count, a NaN written as
// JSON's null, a weight matrix written with its rows and columns swapped, an array of
// another length.
struct PlainDiagnosis {
    // None where the difference needs the mistake search, or nothing to be said.
    static std::optional<Diagnosis> of(const LineComparison::Difference& difference,
                                       const nlohmann::json& referenceLine,
                                       const nlohmann::json& mineLine, std::size_t layerCount,
                                       const LineComparison::Tolerance& tolerance);
};
