#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The GNU C library's rand: its additive feedback generator of degree 31 and separation 3
// (TYPE_3), seeded through the Park-Miller minimal standard generator and run 310 draws
// ahead. The transcripts' networks are drawn by it; a program whose C library draws otherwise
// (the page's) takes this one instead, through RandReplacement.cpp.
class GlibcRandom {
  public:
    // A generator never seeded behaves as if seeded with 1.
    GlibcRandom() { seed(1); }

    // The generator behind rand and srand in a program that links RandReplacement.cpp.
    static GlibcRandom& shared();

    void seed(std::uint32_t seed);
    // The next value, from 0 to 2^31 - 1.
    int next();

  private:
    static constexpr std::size_t degree = 31;
    static constexpr std::size_t separation = 3;

    std::array<std::uint32_t, degree> state_{};
    std::size_t front_ = separation;
    std::size_t rear_ = 0;
};
