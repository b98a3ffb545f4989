#pragma once

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"

// What the C library's printf makes of a value.
inline std::string printed(const char* format, double value) {
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Vectors have no element setter: tests build them the way the program does, by
// reading them, with every value written in a form that reads back exactly.
inline Vector vectorOf(const std::vector<double>& values) {
    std::string text;
    for (const double value : values) {
        text += printed("%.17g ", value);
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

inline Matrix matrixOf(std::initializer_list<std::vector<double>> rows) {
    Matrix matrix(static_cast<std::int32_t>(rows.size()),
                  rows.size() == 0 ? 0 : static_cast<std::int32_t>(rows.begin()->size()));
    std::int32_t i = 0;
    for (const auto& row : rows) {
        std::copy(row.begin(), row.end(), matrix.row(i++).begin());
    }
    return matrix;
}

// What the value's own print writes.
template <typename Printable>
std::string printOf(const Printable& value) {
    std::ostringstream out;
    value.print(out);
    return out.str();
}

// What gtest shows of a matrix that differs from the expected one.
inline void PrintTo(const Matrix& matrix, std::ostream* out) {
    matrix.print(*out);
}
