// The C library's rand and srand, replaced by the GNU C library's generator in the program
// that links this file (the page), so that it builds the networks the console builds on Linux.

#include "glibc/GlibcRandom.hpp"

extern "C" int rand() {
    return GlibcRandom::shared().next();
}

extern "C" void srand(unsigned seed) {
    GlibcRandom::shared().seed(seed);
}
