// The linear algebra where no dialogue reaches it: the mismatch messages, the print formats,
// copies, self-assignment, and the in-place sum's report.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "linalg/Matrix.hpp"
#include "linalg/Vector.hpp"

// What gtest shows of a matrix that differs from the expected one.
void PrintTo(const Matrix& matrix, std::ostream* out) {
    matrix.print(*out);
}

namespace {

// Captures what is written to std::cout while it lives.
struct ConsoleCapture {
    std::ostringstream text;
    std::streambuf* saved = std::cout.rdbuf(text.rdbuf());
    ~ConsoleCapture() { std::cout.rdbuf(saved); }
};

// How often the printer flushes the stream that it writes to.
int flushesOf(void (*print)(std::ostream&)) {
    struct FlushCounter : std::stringbuf {
        int flushes = 0;
        int sync() override { return ++flushes, 0; }
    } counter;
    std::ostream out(&counter);
    print(out);
    return counter.flushes;
}

// Vectors have no element setter: tests build them the way the program does, by
// reading them, with every value written in a form that reads back exactly.
Vector vectorOf(const std::vector<double>& values) {
    std::string text;
    for (const double value : values) {
        char number[32];
        text += std::string(number, std::snprintf(number, sizeof number, "%.17g ", value));
    }
    Vector vector(static_cast<std::int32_t>(values.size()));
    std::istringstream in(text);
    std::ostringstream prompts;
    vector.input(in, prompts);
    return vector;
}

std::vector<double> elementsOf(const Vector& vector) {
    std::vector<double> elements;
    for (std::int32_t i = 0; i < vector.size(); ++i) {
        elements.push_back(vector.get(i));
    }
    return elements;
}

Matrix matrixOf(std::initializer_list<std::vector<double>> rows) {
    Matrix matrix(static_cast<std::int32_t>(rows.size()),
                  static_cast<std::int32_t>(rows.begin()->size()));
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

using Elements = std::vector<double>;

// A line: each element in the element format, then one flushed line end.
TEST(VectorPrint, WritesALineAndFlushesOnce) {
    EXPECT_EQ(printOf(Vector(0)), "\n");
    EXPECT_EQ(printOf(Vector()), "0.000 \n");
    EXPECT_EQ(printOf(vectorOf({0.11, -1, 12.3456})), "0.110 -1.000 12.346 \n");
    EXPECT_EQ(flushesOf([](std::ostream& out) { vectorOf({1.0, 2.0}).print(out); }), 1);
}

TEST(VectorArithmetic, ComputesAndNamesEveryMismatchOnce) {
    const Vector left = vectorOf({1.0, 2.0});
    EXPECT_EQ(elementsOf(*(left - vectorOf({0.5, 3.0}))), (Elements{0.5, -1.0}));
    EXPECT_EQ(elementsOf(*(left * matrixOf({{3, 4}, {5, 6}}))), (Elements{13.0, 16.0}));
    // Summed over rows from 0 up, starting at +0.0: 1e16 + 1 rounds back to 1e16.
    EXPECT_EQ(elementsOf(*(vectorOf({1e16, 1.0, -1e16}) * matrixOf({{1}, {1}, {1}}))), Elements{0});
    // A mismatch gives zeros, as many as the right operand's elements or columns.
    // Each: the left vector's size, and the right vector's size (cols -1) or matrix's shape.
    const int shapes[][3] = {{3, 2, -1}, {2, 3, -1}, {0, 0, -1}, {3, 2, 4},
                             {0, 1, 2},  {3, 3, 0},  {0, 0, 4}};
    for (const auto& [size, rows, cols] : shapes) {
        ConsoleCapture mismatch;
        const bool minus = cols < 0;
        const auto result = minus ? Vector(size) - Vector(rows) : Vector(size) * Matrix(rows, cols);
        EXPECT_EQ(elementsOf(*result), Elements(minus ? rows : cols, 0.0)) << size << rows;
        EXPECT_EQ(mismatch.text.str(), size == rows ? ""
                                       : minus      ? "Error! '-' is bad operation for Vector!\n"
                                                    : "Error '*' operation!!!\n")
            << size << rows;
    }
}

// Copies are deep and survive self-assignment; the activation can be skipped; resizing
// discards the old elements, also those that fit.
TEST(VectorCopies, AreDeepAndSurviveSelfAssignment) {
    Vector source = vectorOf({1.0, 2.0});
    Vector copied(source), assigned;
    assigned = source;
    source.activate(0.11, 0.11, 1);
    EXPECT_EQ(elementsOf(source), elementsOf(copied));
    source.activate(0.11, 0.11, 0);
    const Vector& alias = assigned;
    assigned = alias;
    EXPECT_EQ(elementsOf(copied), elementsOf(assigned));
    EXPECT_EQ(elementsOf(assigned), (Elements{1.0, 2.0}));
    assigned.resize(3);
    EXPECT_EQ(elementsOf(assigned), Elements(3, 0.0));
}

// Elements in the stream's default format.
TEST(MatrixPrint, WritesAHeaderAndOneFlushedLinePerRow) {
    EXPECT_EQ(printOf(Matrix()), "Matrix is:\n\t0\n");
    EXPECT_EQ(printOf(Matrix(0, 5)), "Matrix is:\n");
    EXPECT_EQ(printOf(Matrix(3, 0)), "Matrix is:\n\n\n\n");
    EXPECT_EQ(printOf(matrixOf({{1, 0.25}, {12.3456789, 1e-5}})),
              "Matrix is:\n\t1\t0.25\n\t12.3457\t1e-05\n");
    EXPECT_EQ(flushesOf([](std::ostream& out) { Matrix(3, 2).print(out); }), 3);
}

TEST(MatrixTranspose, SwapsRowsAndColumns) {
    Matrix matrix = matrixOf({{1, 2, 3}, {4, 5, 6}});
    matrix.transpose();
    EXPECT_EQ(matrix, matrixOf({{1, 4}, {2, 5}, {3, 6}}));
    Matrix empty(0, 4);
    empty.transpose();
    EXPECT_EQ(empty, Matrix(4, 0));
    EXPECT_FALSE(Matrix(2, 0) == Matrix(0, 2));
}

TEST(MatrixCopies, AreDeepAndSurviveSelfAssignment) {
    Matrix source = matrixOf({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
    Matrix target;
    target = source;
    target.set(0, 0, 100);
    source.row(3)[1] = -100;
    EXPECT_EQ(source, matrixOf({{1, 2}, {3, 4}, {5, 6}, {7, -100}}));
    const Matrix& alias = target;
    target = alias;
    EXPECT_EQ(target, matrixOf({{100, 2}, {3, 4}, {5, 6}, {7, 8}}));
}

// A mismatch in either dimension, or both, writes the message once and gives zeros of
// the right operand's shape.
TEST(MatrixAddition, SumsOrNamesEveryMismatchOnce) {
    const Matrix left = matrixOf({{1, 2, 3}, {4, 5, 6}});
    ConsoleCapture console;
    EXPECT_EQ(*(left + matrixOf({{1, 1, 1}, {1, 1, 1.5}})), matrixOf({{2, 3, 4}, {5, 6, 7.5}}));
    EXPECT_EQ(console.text.str(), "");
    for (const auto& [rows, cols] : {std::pair{3, 3}, {2, 2}, {3, 2}, {1, 3}, {2, 4}}) {
        ConsoleCapture mismatch;
        EXPECT_EQ(*(left + Matrix(rows, cols)), Matrix(rows, cols));
        EXPECT_EQ(mismatch.text.str(), "Error! '+' is bad operation for Matrixs!\n")
            << rows << cols;
    }
    EXPECT_EQ(left, matrixOf({{1, 2, 3}, {4, 5, 6}}));
}

// In place, as the sum would make it; the report says whether any element changed, also
// when only the first one did.
TEST(MatrixAddition, AddInPlaceReportsAnyChange) {
    Matrix matrix = matrixOf({{1, 1e16}, {3, 4}});
    EXPECT_TRUE(matrix.add(matrixOf({{0.5, 1}, {0, -0.0}})));
    EXPECT_EQ(matrix, matrixOf({{1.5, 1e16}, {3, 4}}));
    EXPECT_FALSE(matrix.add(matrixOf({{0, 1}, {-0.0, 0}})));
    EXPECT_TRUE(matrix.add(matrixOf({{0, 0}, {0, 1}})));
}

}  // namespace
