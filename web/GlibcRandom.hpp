#pragma once

#include <array>
#include <cstdint>

// The GNU C library's rand: its additive feedback generator of degree 31 and separation 3
// (TYPE_3), seeded through the Park-Miller minimal standard generator and run 310 draws
// ahead. The console program on Linux builds its network from this generator; the browser
// build supplies it in place of the C library's own, so that the page builds the same one.
class GlibcRandom {
  public:
    // A generator never seeded behaves as if seeded with 1.
    GlibcRandom() { seed(1); }

    // The generator behind the C library's rand and srand in the program.
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
