#pragma once

#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"

// Vectors have no element setter: tests build them the way the program does, by
// reading them, with every value written in a form that reads back exactly.
inline Vector vectorOf(const std::vector<double>& values) {
    std::ostringstream text;
    for (const double value : values) {
        char number[40];
        std::snprintf(number, sizeof number, "%.17g ", value);
        text << number;
    }
    Vector vector(static_cast<std::int32_t>(values.size()));
    std::istringstream in(text.str());
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
    Matrix matrix(static_cast<std::int32_t>(rows.size()),
                  rows.size() == 0 ? 0 : static_cast<std::int32_t>(rows.begin()->size()));
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

// What the C library's printf makes of a value.
inline std::string printed(const char* format, double value) {
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
