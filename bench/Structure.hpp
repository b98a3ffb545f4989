#pragma once

#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// The layer structure and learning rate that construction and training will draw after
// std::srand(seed), found by replaying the program's order of draws: a column count,
// then that matrix's elements, matrix by matrix, then the learning rate.
struct Structure {
    std::array<int, 4> cols{};
    int etaHundredths = 0;
    double eta() const { return etaHundredths / 100.0; }
};

inline Structure structureAfterSeed(unsigned seed) {
    std::srand(seed);
    Structure structure;
    int rows = 3;
    for (std::size_t g = 0; g < 4; ++g) {
        structure.cols[g] = std::rand() % (g == 0 ? 9 : 10);
        for (int element = 0; element < rows * structure.cols[g]; ++element) {
            std::rand();
        }
        rows = structure.cols[g];
    }
    structure.etaHundredths = std::rand() % 100;
    std::srand(seed);
    return structure;
}

// The first seed whose structure satisfies the predicate; 0 when none is found.
inline unsigned seedWhere(const std::function<bool(const Structure&)>& wanted) {
    for (unsigned seed = 1; seed < 200000; ++seed) {
        if (wanted(structureAfterSeed(seed))) {
            return seed;
        }
    }
    return 0;
}
