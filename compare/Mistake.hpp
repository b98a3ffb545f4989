#pragma once

#include <cstddef>
#include <string>

// A mistake an implementation of back-propagation makes, as one training step made again
// with it shows: which, and on which layers or with which value.
struct Mistake {
    enum class Kind {
        none,
        derivativeAtSums,    // f(s) in place of f(y)
        shareLeftOut,        // X · δ in place of X · (δ · (1 − α))
        carrySignTurned,     // X · (δ · (1 − α)) − P · α
        carryWithoutEta,     // X · (δ · (1 − α)) · (−η) + P · α
        carryAlpha,          // another α in P · α alone
        alpha,               // another α in both places
        eta,                 // another η
        layersNotUpdated,    // the layers' weights left as they were
        updatedWeightsBack,  // error terms through the layer's weights already updated
        swappedForward,      // the layer's weighted sums through its weights' transpose
        swappedBack,         // the error terms back through the transpose of the layer's weights
        errorSignTurned,     // D − y in place of y − D
    };

    Kind kind = Kind::none;
    // The computed layer it concerns, or for layersNotUpdated a set of them, one bit each.
    std::size_t layers = 0;
    // The α or η it takes.
    double value = 0;

    // Its name in neuronet-compare's JSON: "derivative-at-sums".
    std::string name() const;
    // What it is, said so that "Yours is what the reference's numbers give with" may come
    // before it: "the derivative taken at the weighted sums, f(s), where the reference takes
    // it at the outputs, f(y)". `layerCount` names the layers; `reference` is the reference's
    // own α or η.
    std::string words(std::size_t layerCount, double reference) const;
};
