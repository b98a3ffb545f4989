#pragma once

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

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
