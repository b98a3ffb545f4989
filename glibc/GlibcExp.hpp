#pragma once

// The GNU C library's exp as x86-64 computes it with fused multiply-adds, and arm64 too: the
// transcripts' exp, for a build whose C library computes it otherwise (the page's). Arm's
// algorithm (Arm Limited, MIT licence) as that library has it, e^x = 2^(k/128) e^r, each
// multiply-add fused where its build fuses one (found by comparing the two on tens of
// millions of arguments).
class GlibcExp {
  public:
    static double of(double x);
};
