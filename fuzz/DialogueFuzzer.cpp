// Feeds arbitrary bytes to a whole dialogue, in-process. The first two bytes choose the
// generator's seed, so that every layer structure is reached; the rest is the input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/Dialogue.hpp"
#include "app/TraceRecorder.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    unsigned seed = 1;
    if (size >= 2) {
        seed = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8;
        data += 2;
        size -= 2;
    }
    std::srand(seed);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out, err, trace;
    // A low step limit keeps every input fast under the sanitizers, and its text small;
    // stopping at the limit is itself a path worth fuzzing. Every run is traced.
    TraceRecorder recorder(trace, *TraceSteps::parse("1-3,every:7"));
    runDialogue(in, out, err, {.stepLimit = 500, .trace = &recorder});
    return 0;
}
