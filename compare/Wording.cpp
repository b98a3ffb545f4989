#include "compare/Wording.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

struct Name {
    std::string_view key, words;
    bool count = false;
};

constexpr std::array names = {
    Name{"seed", "the seed", true},
    Name{"input", "an element of the input"},
    Name{"sizes", "a layer's neuron count", true},
    Name{"W", "a weight"},
    Name{"eta", "the learning rate"},
    Name{"alpha", "the share of the previous change"},
    Name{"limit", "the error limit"},
    Name{"stepLimit", "the step limit", true},
    Name{"slope", "the activation's slope"},
    Name{"offset", "the activation's offset"},
    Name{"D", "an element of the target"},
    Name{"unread", "the first element not read", true},
    Name{"step", "the step's number", true},
    Name{"s", "a weighted sum"},
    Name{"y", "an output"},
    Name{"delta", "an error term"},
    Name{"dW", "a weight change"},
    Name{"E", "the error"},
    Name{"layers", "the number of computed layers", true},
    Name{"ended", "how the run ended"},
    Name{"why", "why training stopped"},
    Name{"steps", "the steps made", true},
    Name{"status", "the exit status", true},
};

const Name* named(const std::string& key) {
    const auto found =
        std::find_if(names.begin(), names.end(), [&key](const Name& n) { return n.key == key; });
    return found == names.end() ? nullptr : &*found;
}

}  // namespace

std::string Wording::line(const std::string& kind, std::optional<std::int64_t> step) {
    if (step) {
        return "step " + std::to_string(*step);
    }
    return "the " + kind;
}

std::string Wording::quantity(const std::string& key) {
    const Name* name = named(key);
    return name ? std::string(name->words) : key;
}

bool Wording::isCount(const std::string& key) {
    const Name* name = named(key);
    return name && name->count;
}

std::string Wording::layer(std::size_t g, std::size_t layerCount) {
    return g + 1 == layerCount ? "the output layer" : "hidden layer " + std::to_string(g + 1);
}
