#include "TranscriptPlatform.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "glibc/GlibcRandom.hpp"

std::string TranscriptPlatform::otherRand() {
    for (const unsigned seed : {1U, 7525U}) {
        std::srand(seed);
        GlibcRandom glibc;
        glibc.seed(seed);
        for (int draw = 0; draw < 100; ++draw) {
            if (std::rand() != glibc.next()) {
                return "this C library's rand draws other networks than the transcripts'";
            }
        }
    }
    return "";
}

std::string TranscriptPlatform::otherExp() {
    // Read at run time, so that the compiler computes no exp of its own.
    const volatile double argument = partingArgument;
    const double got = std::exp(argument);
    if (got == fusedExp) {
        return "";
    }
    char why[200];
    std::snprintf(why, sizeof why,
                  "this C library's exp is not the transcripts' (the GNU C library's with fused "
                  "multiply-adds): exp(%a) is %a, not %a",
                  partingArgument, got, fusedExp);
    return why;
}

std::string TranscriptPlatform::whyNot() {
    const std::string rand = otherRand();
    return rand.empty() ? otherExp() : rand;
}
