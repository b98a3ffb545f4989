// The GNU C library's copies are the library: its rand on every seed tried, and its exp on
// millions of arguments where the library computes the transcripts' exp.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "Doubles.hpp"
#include "TranscriptPlatform.hpp"
#include "glibc/GlibcExp.hpp"
#include "glibc/GlibcRandom.hpp"

namespace {

TEST(GlibcRandom, IsTheCLibrarysRand) {
#ifdef __GLIBC__
    for (const unsigned seed : {0U, 1U, 2U, 7525U, 2147483647U, 2147483648U, 4294967295U}) {
        std::srand(seed);
        GlibcRandom glibc;
        glibc.seed(seed);
        for (int draw = 0; draw < 1000; ++draw) {
            ASSERT_EQ(glibc.next(), std::rand()) << "seed " << seed << ", draw " << draw;
        }
    }
    std::srand(1);
    GlibcRandom neverSeeded;
    EXPECT_EQ(neverSeeded.next(), std::rand());
#else
    GTEST_SKIP() << "not the GNU C library";
#endif
}

TEST(GlibcExp, IsTheCLibrarysWithFusedMultiplyAdds) {
    EXPECT_EQ(GlibcExp::of(TranscriptPlatform::partingArgument), TranscriptPlatform::fusedExp);
    if (const std::string other = TranscriptPlatform::otherExp(); !other.empty()) {
        GTEST_SKIP() << other;
    }
    std::mt19937_64 bits(5);
    std::vector<double> arguments{0.0, -0.0, 1e-300, 709.78, 709.79, -708.4, -745.1, -744.0};
    for (int k = 0; k < 3'000'000; ++k) {
        const double u = static_cast<double>(bits() >> 11) * 0x1p-53;
        arguments.push_back(k % 3 == 0   ? -0.13 + 0.12 * u
                            : k % 3 == 1 ? -40 + 80 * u
                                         : -760 + 1480 * u);
    }
    for (const double x : testDoubles()) {
        arguments.push_back(x);
    }
    for (const double x : arguments) {
        ASSERT_TRUE(same(GlibcExp::of(x), std::exp(x))) << x;
    }
}

}  // namespace
