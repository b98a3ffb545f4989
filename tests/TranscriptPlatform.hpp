#pragma once

#include <string>

// Whether this C library computes what the transcripts were made with: the GNU C library's
// rand, and its exp as x86-64 computes it with fused multiply-adds. A test that holds the
// program's bits to the transcripts skips elsewhere, saying why.
struct TranscriptPlatform {
    // Where the GNU C library's exp with fused multiply-adds and without them part: without,
    // on x86-64, it is one unit in the last place more.
    static constexpr double partingArgument = -0x1.0888adfa2c478p-2;
    static constexpr double fusedExp = 0x1.8b6fcbd408bfbp-1;

    // Why this C library's rand or exp is not the transcripts'; empty when it is.
    static std::string otherRand();
    static std::string otherExp();
    // Either, or empty.
    static std::string whyNot();
};
