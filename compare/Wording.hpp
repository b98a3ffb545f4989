#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// How neuronet-compare names what it compares: a line, a key of a line, a computed layer.
struct Wording {
    // "the run", "the target", "step 7" or "the end".
    static std::string line(const std::string& kind, std::optional<std::int64_t> step);
    // What a key's value is, in words: "an error term" for "delta".
    static std::string quantity(const std::string& key);
    // Whether a key holds a count (compared as a whole number, never in units in the last
    // place) rather than a double.
    static bool isCount(const std::string& key);
    // A computed layer by its place: "hidden layer 1" for g = 0, ..., "the output layer".
    static std::string layer(std::size_t g, std::size_t layerCount);
};
