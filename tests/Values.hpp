#pragma once

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"

// Vectors have no element setter: tests build them the way the program does, by
// reading them, with every value written in a form that reads back exactly.
inline Vector vectorOf(const std::vector<double>& values) {
    std::string text;
    for (const double value : values) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g ", value);
        text += buffer;
    }
    Vector vector(static_cast<std::int32_t>(values.size()));
    std::istringstream in(text);
    std::ostringstream prompts;
    vector.input(in, prompts);
    return vector;
}

inline std::vector<double> elementsOf(const Vector& vector) {
    std::vector<double> elements;
    for (std::int32_t i = 0; i < vector.size(); ++i) {
        elements.push_back(vector.get(i));
    }
    return elements;
}

inline Matrix matrixOf(std::initializer_list<std::initializer_list<double>> rows) {
    const auto rowCount = static_cast<std::int32_t>(rows.size());
    const auto colCount = rowCount == 0 ? 0 : static_cast<std::int32_t>(rows.begin()->size());
    Matrix matrix(rowCount, colCount);
    std::int32_t i = 0;
    for (const auto& row : rows) {
        std::int32_t j = 0;
        for (const double value : row) {
            matrix.set(i, j++, value);
        }
        ++i;
    }
    return matrix;
}

inline std::vector<std::vector<double>> elementsOf(const Matrix& matrix) {
    std::vector<std::vector<double>> rows;
    for (std::int32_t i = 0; i < matrix.rows(); ++i) {
        const auto row = matrix.row(i);
        rows.emplace_back(row.begin(), row.end());
    }
    return rows;
}

// The C library's own sequence after std::srand(seed), for checking the order of draws.
inline std::vector<int> drawsAfterSeed(unsigned seed, int count) {
    std::srand(seed);
    std::vector<int> draws;
    for (int i = 0; i < count; ++i) {
        draws.push_back(std::rand());
    }
    std::srand(seed);
    return draws;
}

// What "%4.3f " makes of a value, through the C library itself.
inline std::string printed(double value) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%4.3f ", value);
    return buffer;
}
