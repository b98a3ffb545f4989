#include "glibc/GlibcRandom.hpp"

void GlibcRandom::seed(std::uint32_t seed) {
    // The state is filled by 16807 * x mod (2^31 - 1), computed as Schrage's method computes
    // it, without overflow, on the seed taken as a signed 32-bit number; 0 seeds as 1.
    std::int32_t word = seed == 0 ? 1 : static_cast<std::int32_t>(seed);
    state_[0] = static_cast<std::uint32_t>(word);
    for (std::size_t i = 1; i < degree; ++i) {
        const std::int32_t high = word / 127773;
        const std::int32_t low = word % 127773;
        word = 16807 * low - 2836 * high;
        if (word < 0) {
            word += 2147483647;
        }
        state_[i] = static_cast<std::uint32_t>(word);
    }
    front_ = separation;
    rear_ = 0;
    for (int discarded = 0; discarded < 10 * static_cast<int>(degree); ++discarded) {
        next();
    }
}

int GlibcRandom::next() {
    state_[front_] += state_[rear_];
    const auto value = static_cast<int>(state_[front_] >> 1);  // the lowest bit is the weakest
    front_ = (front_ + 1) % degree;
    rear_ = (rear_ + 1) % degree;
    return value;
}

GlibcRandom& GlibcRandom::shared() {
    static GlibcRandom instance;
    return instance;
}
