#pragma once

// The GNU C library's exp as it runs on x86-64 where the processor fuses multiply-adds (and
// as its arm64 build computes it too): the transcripts were made with it. A build whose C
// library computes exp otherwise (the page's) takes this one, to compute the very doubles of
// every activation and derivative. The algorithm is Arm's (Arm Limited, MIT licence), as that
// library has it: e^x = 2^(k/128) e^r, from a table of 2^(k/128) and a polynomial for e^r,
// each multiply-add fused where that library's build fuses it (found by comparing the two on
// tens of millions of arguments).
class GlibcExp {
  public:
    static double of(double x);
};
