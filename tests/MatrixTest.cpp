#include "linalg/Matrix.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "ConsoleCapture.hpp"
#include "Values.hpp"
#include "linalg/Vector.hpp"

namespace {

using Rows = std::vector<std::vector<double>>;

std::string printOf(const Matrix& matrix) {
    std::ostringstream out;
    matrix.print(out);
    return out.str();
}

TEST(MatrixPrint, WritesAHeaderAndOneFlushedLinePerRow) {
    EXPECT_EQ(printOf(Matrix()), "Matrix is:\n\t0\n");
    EXPECT_EQ(printOf(Matrix(0, 5)), "Matrix is:\n");
    EXPECT_EQ(printOf(Matrix(3, 0)), "Matrix is:\n\n\n\n");
    EXPECT_EQ(printOf(matrixOf({{0.7, 0.01}, {12.3456789, 1e-5}, {-2.0, 1234567.0}})),
              "Matrix is:\n\t0.7\t0.01\n\t12.3457\t1e-05\n\t-2\t1.23457e+06\n");
    EXPECT_EQ(flushesOf([](std::ostream& out) { Matrix(3, 2).print(out); }), 3);
    ConsoleCapture console;
    Matrix().print();
    EXPECT_EQ(console.text(), "Matrix is:\n\t0\n");
}

TEST(MatrixResize, TakesTheShapeFilledWithZeros) {
    Matrix matrix = matrixOf({{1, 2}, {3, 4}});
    matrix.resize(2, 2);
    EXPECT_EQ(elementsOf(matrix), (Rows{{0, 0}, {0, 0}}));
    matrix.resize(0, 5);
    EXPECT_EQ(matrix.cols(), 5);
}

TEST(MatrixRandomize, DrawsOncePerElementRowByRow) {
    for (const unsigned seed : {1u, 7u, 2024u}) {
        const std::vector<int> draws = drawsAfterSeed(seed, 16);
        Matrix matrix(3, 5);
        matrix.randomize();
        EXPECT_EQ(std::rand(), draws[15]) << "exactly 15 draws";
        for (std::int32_t i = 0; i < 3; ++i) {
            for (std::int32_t j = 0; j < 5; ++j) {
                const int remainder = draws[static_cast<std::size_t>(i * 5 + j)] % 100;
                EXPECT_EQ(matrix.get(i, j), remainder == 0 ? 0.01 : remainder / 100.0);
            }
        }
    }
    // Empty matrices draw nothing.
    const int next = drawsAfterSeed(5, 1)[0];
    Matrix(3, 0).randomize();
    Matrix(0, 4).randomize();
    EXPECT_EQ(std::rand(), next);
}

TEST(MatrixTranspose, SwapsRowsAndColumnsAndTwiceGivesTheMatrixBack) {
    Matrix matrix = matrixOf({{1, 2, 3}, {4, 5, 6}});
    matrix.transpose();
    EXPECT_EQ(elementsOf(matrix), (Rows{{1, 4}, {2, 5}, {3, 6}}));
    Matrix empty(0, 4);
    empty.transpose();
    EXPECT_EQ(empty.rows(), 4);
    EXPECT_EQ(empty.cols(), 0);

    drawsAfterSeed(3, 0);
    Matrix random(4, 7);
    random.randomize();
    const Rows before = elementsOf(random);
    random.transpose();
    random.transpose();
    EXPECT_EQ(elementsOf(random), before);
}

TEST(MatrixCopies, AreDeepAndAccessWritesThrough) {
    Matrix source = matrixOf({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
    Matrix target;
    target = source;
    target.set(0, 0, 100);
    source.row(3)[1] = -100;
    EXPECT_EQ(elementsOf(source), (Rows{{1, 2}, {3, 4}, {5, 6}, {7, -100}}));
    EXPECT_EQ(elementsOf(target), (Rows{{100, 2}, {3, 4}, {5, 6}, {7, 8}}));
    EXPECT_EQ(target.get(0, 0), 100);
    const Matrix& alias = target;
    target = alias;
    EXPECT_EQ(target.get(3, 1), 8);
    EXPECT_TRUE(target == alias);
    EXPECT_FALSE(Matrix(2, 0) == Matrix(0, 2));
}

TEST(MatrixAddition, IsElementWiseAndInPlaceAlike) {
    const Matrix left = matrixOf({{1e16, 2}, {3, 4}});
    const Matrix right = matrixOf({{1, -2}, {10, 0.25}});
    ConsoleCapture console;
    const auto sum = left + right;
    EXPECT_EQ(elementsOf(*sum), (Rows{{1e16, 0}, {13, 4.25}}));
    Matrix inPlace = matrixOf({{1e16, 2}, {3, 4}});
    EXPECT_TRUE(inPlace.add(right));
    EXPECT_EQ(elementsOf(inPlace), elementsOf(*sum));
    // 1e16 + 1 rounds back to 1e16: no element changes.
    Matrix same = matrixOf({{1e16, 5}});
    EXPECT_FALSE(same.add(matrixOf({{1.0, -0.0}})));
    EXPECT_EQ(console.text(), "");
}

TEST(MatrixAddition, MismatchWritesOnceAndGivesZerosOfTheRightShape) {
    const Matrix left = matrixOf({{1, 2, 3}, {4, 5, 6}});
    const Matrix right = matrixOf({{1, 2}, {3, 4}, {5, 6}});
    ConsoleCapture console;
    EXPECT_EQ(elementsOf(*(left + right)), (Rows{{0, 0}, {0, 0}, {0, 0}}));
    EXPECT_EQ(console.text(), "Error! '+' is bad operation for Matrixs!\n");
    EXPECT_EQ(elementsOf(left), (Rows{{1, 2, 3}, {4, 5, 6}}));
    std::ostringstream out;
    EXPECT_EQ(Matrix(0, 0).plus(Matrix(0, 0), out)->rows(), 0);
    EXPECT_EQ(out.str(), "");
}

TEST(MatrixDerivativeDiagonal, HoldsTheLogisticsDerivativeOnTheDiagonal) {
    const Vector v = vectorOf({0.0, 0.5, 1.0});
    for (const double offset : {0.11, 7.0}) {
        Matrix matrix(3, 3);
        matrix.set(0, 1, 9.0);
        matrix.derivativeDiagonal(v, 0.11, offset);
        EXPECT_EQ(matrix.get(0, 0), 0.11 / 4.0);
        EXPECT_NEAR(matrix.get(1, 1), 0.0274792136, 1e-10);
        EXPECT_NEAR(matrix.get(2, 2), 0.0274169799, 1e-10);
        for (std::int32_t i = 0; i < 3; ++i) {
            for (std::int32_t j = 0; j < 3; ++j) {
                EXPECT_TRUE(i == j || matrix.get(i, j) == 0.0);
            }
        }
    }
}

}  // namespace
