#include "linalg/Matrix.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "ConsoleCapture.hpp"
#include "Values.hpp"

namespace {

// Elements in the stream's default format, which is the C library's "%g".
TEST(MatrixPrint, WritesAHeaderAndOneFlushedLinePerRow) {
    EXPECT_EQ(printOf(Matrix()), "Matrix is:\n\t0\n");
    EXPECT_EQ(printOf(Matrix(0, 5)), "Matrix is:\n");
    EXPECT_EQ(printOf(Matrix(3, 0)), "Matrix is:\n\n\n\n");
    EXPECT_EQ(printOf(matrixOf({{1, 2}})), "Matrix is:\n\t1\t2\n");
    for (const double value : {0.7, 0.01, 12.3456789, 1e-5, -2.0, 1234567.0, 0.0001, 999999.5}) {
        EXPECT_EQ(printOf(matrixOf({{value}})), "Matrix is:\n\t" + printed("%g", value) + "\n");
    }
    EXPECT_EQ(flushesOf([](std::ostream& out) { Matrix(3, 2).print(out); }), 3);
}

TEST(MatrixShape, ResizeZeroesAndTransposeSwaps) {
    Matrix matrix = matrixOf({{1, 2, 3}, {4, 5, 6}});
    matrix.transpose();
    EXPECT_EQ(matrix, matrixOf({{1, 4}, {2, 5}, {3, 6}}));
    matrix.resize(3, 2);
    EXPECT_EQ(matrix, Matrix(3, 2));
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
