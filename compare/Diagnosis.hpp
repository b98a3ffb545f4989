#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compare/Mistake.hpp"

// What neuronet-compare makes of the first difference: the mistake that gives MINE's number
// from the reference's own numbers, if one does, or else which of the number's inputs agree;
// or a plain word on a difference that needs no search (a seed, a count, a NaN written
// null). Said in a sentence.
struct Diagnosis {
    // One input of the number, and how MINE's agrees with the reference's: "agrees",
    // "agrees within the tolerance", "differs" or "not in your trace".
    struct Input {
        std::string name, agreement;
    };

    std::optional<Mistake> mistake;
    // Whether the mistake gives MINE's number exactly, not only within the tolerance.
    bool exact = false;
    std::vector<Input> inputs;
    std::string sentence;
};
