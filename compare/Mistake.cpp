#include "compare/Mistake.hpp"

#include <string>
#include <vector>

#include "compare/Wording.hpp"
#include "trace/JsonNumber.hpp"

namespace {

std::string number(double value) {
    char text[JsonNumber::longest];
    return {text, JsonNumber::write(value, text)};
}

// "hidden layer 2", "hidden layers 1, 2 and 3", "hidden layer 1 and the output layer".
std::string layersOf(std::size_t set, std::size_t layerCount) {
    std::vector<std::string> hidden;
    for (std::size_t g = 0; g + 1 < layerCount; ++g) {
        if ((set >> g & 1) != 0) {
            hidden.push_back(std::to_string(g + 1));
        }
    }
    std::string words = hidden.empty()       ? ""
                        : hidden.size() == 1 ? "hidden layer "
                                             : "hidden layers ";
    for (std::size_t k = 0; k < hidden.size(); ++k) {
        words += (k == 0 ? "" : k + 1 == hidden.size() ? " and " : ", ") + hidden[k];
    }
    if ((set >> (layerCount - 1) & 1) != 0) {
        words += (hidden.empty() ? "" : " and ") + Wording::layer(layerCount - 1, layerCount);
    }
    return words;
}

}  // namespace

std::string Mistake::name() const {
    switch (kind) {
        case Kind::none:
            return "none";
        case Kind::derivativeAtSums:
            return "derivative-at-sums";
        case Kind::shareLeftOut:
            return "share-left-out";
        case Kind::carrySignTurned:
            return "carry-sign-turned";
        case Kind::carryWithoutEta:
            return "carry-without-eta";
        case Kind::carryAlpha:
            return "carry-alpha";
        case Kind::alpha:
            return "alpha";
        case Kind::eta:
            return "eta";
        case Kind::layersNotUpdated:
            return "layers-not-updated";
        case Kind::updatedWeightsBack:
            return "updated-weights-back";
        case Kind::swappedForward:
        case Kind::swappedBack:
            return "rows-and-columns-swapped";
        case Kind::errorSignTurned:
            return "error-sign-turned";
    }
    return "";
}

std::string Mistake::words(std::size_t layerCount, double reference) const {
    const std::string layer = Wording::layer(layers, layerCount);
    switch (kind) {
        case Kind::none:
            return "nothing changed";
        case Kind::derivativeAtSums:
            return "the derivative taken at the weighted sums, f(s), where the reference takes it "
                   "at the outputs, f(y)";
        case Kind::shareLeftOut:
            return "the weight change without its share 1 − α: X · δ where the reference takes "
                   "X · (δ · (1 − α))";
        case Kind::carrySignTurned:
            return "the carried-over share subtracted: X · (δ · (1 − α)) − P · α where the "
                   "reference adds P · α";
        case Kind::carryWithoutEta:
            return "the carried-over share P · α added after the factor −η, where the reference "
                   "adds it before";
        case Kind::carryAlpha:
            return "α = " + number(value) +
                   " in the carried-over share P · α, where the reference "
                   "takes " +
                   number(reference);
        case Kind::alpha:
            return "α = " + number(value) + " in both its places, where the reference takes " +
                   number(reference);
        case Kind::eta:
            return "the learning rate η = " + number(value) + ", where the reference's is " +
                   number(reference);
        case Kind::layersNotUpdated:
            return "the weights of " + layersOf(layers, layerCount) +
                   " not updated: left as they were before the step";
        case Kind::updatedWeightsBack:
            return "the error terms of " + Wording::layer(layers - 1, layerCount) +
                   " made through the weights of " + layer +
                   " already updated in this step, where the reference takes them as they were "
                   "before it";
        case Kind::swappedForward:
            return "the weighted sums of " + layer +
                   " made through its weights with rows and columns swapped, W[j][k] for W[k][j]";
        case Kind::swappedBack:
            return "the error terms made back through the weights of " + layer +
                   " with rows and columns swapped, W[j][i] for W[i][j]";
        case Kind::errorSignTurned:
            return "the error taken as D − y where the reference takes y − D, which turns every "
                   "error term's sign";
    }
    return "";
}
