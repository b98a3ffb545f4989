// Feeds arbitrary bytes to a whole dialogue, in-process. The first two bytes choose the
// generator's seed, so that every layer structure is reached; the rest is the input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/Dialogue.hpp"

namespace {

// Keeps every input fast under the sanitizers; stopping at the limit is itself a path
// worth fuzzing.
constexpr std::int32_t fuzzStepLimit = 500;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    unsigned seed = 1;
    if (size >= 2) {
        seed = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8;
        data += 2;
        size -= 2;
    }
    std::srand(seed);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    // The step limit keeps the text of one input small.
    std::ostringstream out;
    std::ostringstream err;
    runDialogue(in, out, err, {.stepLimit = fuzzStepLimit, .trained = {}});
    return 0;
}
