#pragma once

// The GNU C library's exp on x86-64 as it runs where the processor fuses multiply-adds, as
// every x86-64 processor of the last decade does: the program's every activation and
// derivative takes it, so a build whose C library computes exp otherwise (the page's) takes
// this one instead, to compute the very doubles the console program computes on Linux. The
// algorithm is Arm's (Arm Limited, MIT licence), as that library has it: e^x = 2^(k/128) e^r,
// from a table of 2^(k/128) and a polynomial for e^r, each multiply-add fused where that
// library's build fuses it (found by comparing the two on tens of millions of arguments).
class GlibcExp {
  public:
    static double of(double x);
};
