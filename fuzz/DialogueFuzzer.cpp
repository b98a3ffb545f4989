// Feeds arbitrary bytes to a whole dialogue, in-process. The first two bytes choose the
// generator's seed, so that every layer structure is reached; the rest is the input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "app/Dialogue.hpp"

namespace {

// Throws away whatever is written to it.
class NullBuffer : public std::streambuf {
  protected:
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

// Long enough for every target within reach tried so far, short enough to keep each
// input fast under the sanitizers.
constexpr std::int32_t fuzzStepLimit = 1000;

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
    NullBuffer discard;
    std::ostream out(&discard);
    std::ostream err(&discard);
    runDialogue(in, out, err, fuzzStepLimit);
    return 0;
}
