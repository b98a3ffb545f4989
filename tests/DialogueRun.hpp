#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "Values.hpp"
#include "app/Dialogue.hpp"
#include "net/NeuroNet.hpp"

// The rest of the line that follows the first occurrence of the label in the text.
inline std::string lineAfter(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    if (at == std::string::npos) {
        return "<no " + label + ">";
    }
    const auto start = at + label.size();
    return text.substr(start, text.find('\n', start) - start);
}

// The output of the first forward pass of a network built for the input after
// std::srand(seed); the pass draws nothing, so training starts from the same output.
inline std::vector<double> firstOutput(unsigned seed, const std::vector<double>& input) {
    std::srand(seed);
    std::ostringstream out;
    NeuroNet net(vectorOf(input), out);
    net.Propagate();
    return elementsOf(net.output());
}

inline std::vector<double> shifted(std::vector<double> values, double by) {
    for (double& value : values) {
        value += by;
    }
    return values;
}

// The values as text that reads back exactly.
inline std::string exactText(const std::vector<double>& values) {
    std::string text;
    for (const double value : values) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g ", value);
        text += buffer;
    }
    return text;
}

// One whole dialogue run in-process after std::srand(seed). The generator left
// unseeded behaves as seeded with 1, so seed 1 gives the program's own network.
struct DialogueRun {
    std::string out;
    std::string err;
    int status;

    explicit DialogueRun(const std::string& input, unsigned seed = 1,
                         std::int32_t stepLimit = NeuroNet::defaultStepLimit) {
        std::srand(seed);
        std::istringstream in(input);
        std::ostringstream outText;
        std::ostringstream errText;
        status = runDialogue(in, outText, errText, stepLimit);
        out = outText.str();
        err = errText.str();
    }

    std::string lineAfter(const std::string& label) const { return ::lineAfter(out, label); }
};
