#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What every run of neuronet writes and every reader of its transcript relies on: the
// shape of the network, the limits of training and of the text, and every fixed text of
// the dialogue. Each is written here once; the program writes through these, and
// neuronet-plot and the page read by them.
struct Contract {
    // The network: three inputs, five layers counting the input, and computed layers of at
    // most 8 (the first) and 9 neurons, their counts drawn from 0 up to that.
    static constexpr std::int32_t inputSize = 3;
    static constexpr std::int32_t layerCount = 5;
    static constexpr std::int32_t widestFirstLayer = 8;
    static constexpr std::int32_t widestLayer = 9;

    // Every initial weight is a hundredth from 0.01 to 0.99.
    static constexpr double lowestWeight = 0.01;
    static constexpr double highestWeight = 0.99;

    // Every activated value, so every output, lies from the activation's offset to one
    // more than it.
    static constexpr double lowestOutput = 0.11;
    static constexpr double highestOutput = lowestOutput + 1.0;
    // Training ends when the summed squared error is at most this, and after this many
    // steps at the latest.
    static constexpr double errorLimit = 0.2;
    static constexpr std::int32_t stepLimit = 10'000'000;

    // The longest word read as a number, and the longest line a transcript has.
    static constexpr std::size_t longestWord = 64 * 1024;
    static constexpr std::size_t longestLine = 64 * 1024;

    // The prompts, each ending no line: "Enter vector [0] element: ", and the target's.
    static constexpr std::string_view elementPromptStart = "Enter vector [";
    static constexpr std::string_view elementPromptEnd = "] element: ";
    static constexpr std::string_view targetPrompt = "Enter D vector: ";

    // The construction report: "NN have 5 layers.", then a header before every matrix.
    static constexpr std::string_view layerCountStart = "NN have ";
    static constexpr std::string_view layerCountEnd = " layers.";
    static constexpr std::string_view matrixHeader = "Matrix is:";

    // Before every output, and before why training stopped early.
    static constexpr std::string_view propagate = "Propagate is: ";
    static constexpr std::string_view stopped = "Training stopped: ";

    // The report, between two rules, and the farewell.
    static constexpr std::string_view rule = "-------------------------------------------------";
    static constexpr std::string_view reportTitle = "BackPropagate is over:";
    static constexpr std::string_view firstStepLabel = "\tFirst step is: ";
    static constexpr std::string_view targetLabel = "\tD is: ";
    static constexpr std::string_view resultLabel = "\tResult is: ";
    static constexpr std::string_view limitLabel = "\tEmax is: ";
    static constexpr std::string_view errorLabel = "\tE is: ";
    static constexpr std::string_view stepsLabel = "\tNumer of steps: ";
    static constexpr std::string_view resultsFarewell = "Neuro result vector was deleted...";
    static constexpr std::string_view weightsFarewell = "Neuro matrixs was deleted...";

    // The operators' messages on operands whose sizes disagree, which no run meets.
    static constexpr std::string_view differenceMismatch =
        "Error! '-' is bad operation for Vector!";
    static constexpr std::string_view productMismatch = "Error '*' operation!!!";
    static constexpr std::string_view sumMismatch = "Error! '+' is bad operation for Matrixs!";

    // Standard error: every line begins with the program's name. A number that cannot be
    // read: "neuronet: cannot read element [1] of the input vector: found "two", not a
    // number", or "...: the input ended".
    static constexpr std::string_view diagnosticStart = "neuronet: ";
    static constexpr std::string_view unreadStart = "cannot read element [";
    static constexpr std::string_view unreadOf = "] of ";
    static constexpr std::string_view inputVectorName = "the input vector";
    static constexpr std::string_view targetVectorName = "the target vector D";
    static constexpr std::string_view unreadFound = ": found ";
    static constexpr std::string_view unreadNotANumber = ", not a number";
    static constexpr std::string_view unreadEnded = ": the input ended";
    static constexpr std::string_view outOfMemory = "out of memory";
};
