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

TEST(MatrixConstruction, DefaultIsOneByOneZero) {
    const Matrix matrix;
    EXPECT_EQ(elementsOf(matrix), (Rows{{0.0}}));
    EXPECT_EQ(printOf(matrix), "Matrix is:\n\t0\n");
}

TEST(MatrixConstruction, CountsGiveZeros) {
    EXPECT_EQ(elementsOf(Matrix(2, 3)), (Rows{{0, 0, 0}, {0, 0, 0}}));
}

struct ResizeCase {
    std::int32_t rows;
    std::int32_t cols;
    const char* print;
    friend void PrintTo(const ResizeCase& c, std::ostream* os) { *os << c.rows << 'x' << c.cols; }
};

class MatrixResize : public testing::TestWithParam<ResizeCase> {};

TEST_P(MatrixResize, TakesTheShapeFilledWithZeros) {
    Matrix matrix = matrixOf({{1.0, 2.0}, {3.0, 4.0}});
    matrix.resize(GetParam().rows, GetParam().cols);
    EXPECT_EQ(matrix.rows(), GetParam().rows);
    EXPECT_EQ(matrix.cols(), GetParam().cols);
    EXPECT_EQ(printOf(matrix), GetParam().print);
}

INSTANTIATE_TEST_SUITE_P(Shapes, MatrixResize,
                         testing::Values(ResizeCase{0, 5, "Matrix is:\n"},
                                         ResizeCase{3, 0, "Matrix is:\n\n\n\n"},
                                         ResizeCase{2, 2, "Matrix is:\n\t0\t0\n\t0\t0\n"},
                                         ResizeCase{0, 0, "Matrix is:\n"},
                                         ResizeCase{1, 3, "Matrix is:\n\t0\t0\t0\n"}));

TEST(MatrixPrint, UsesTheStreamsDefaultDoubleFormat) {
    const Matrix matrix = matrixOf({{0.7, 0.01}, {12.3456789, 1e-5}, {-2.0, 1234567.0}});
    EXPECT_EQ(printOf(matrix), "Matrix is:\n\t0.7\t0.01\n\t12.3457\t1e-05\n\t-2\t1.23457e+06\n");
}

TEST(MatrixPrint, FlushesAfterEveryRowAndWritesToStandardOutputByDefault) {
    struct FlushCounter : std::stringbuf {
        int flushes = 0;
        int sync() override {
            ++flushes;
            return 0;
        }
    } counter;
    std::ostream out(&counter);
    Matrix(3, 2).print(out);
    EXPECT_EQ(counter.flushes, 3);

    ConsoleCapture console;
    Matrix().print();
    EXPECT_EQ(console.text(), "Matrix is:\n\t0\n");
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
                const double expected = remainder == 0 ? 0.01 : remainder / 100.0;
                EXPECT_EQ(matrix.get(i, j), expected) << seed << ' ' << i << ' ' << j;
            }
        }
    }
}

TEST(MatrixRandomize, GivesHundredthsFromOneToNinetyNine) {
    drawsAfterSeed(99, 0);
    Matrix matrix(40, 50);
    matrix.randomize();
    for (std::int32_t i = 0; i < matrix.rows(); ++i) {
        for (const double element : matrix.row(i)) {
            EXPECT_GE(element, 0.01);
            EXPECT_LE(element, 0.99);
            EXPECT_EQ(element, std::round(element * 100.0) / 100.0);
        }
    }
}

TEST(MatrixRandomize, RemainderZeroGivesOneHundredth) {
    // Find, at run time, a seed whose first draw is a multiple of 100.
    unsigned seed = 1;
    while (drawsAfterSeed(seed, 1)[0] % 100 != 0) {
        ++seed;
    }
    std::srand(seed);
    Matrix matrix(1, 1);
    matrix.randomize();
    EXPECT_EQ(matrix.get(0, 0), 0.01);
}

TEST(MatrixRandomize, EmptyMatrixDrawsNothing) {
    const int next = drawsAfterSeed(5, 1)[0];
    Matrix rowsWithoutElements(3, 0);
    rowsWithoutElements.randomize();
    Matrix noRows(0, 4);
    noRows.randomize();
    EXPECT_EQ(std::rand(), next);
}

TEST(MatrixTranspose, SwapsRowsAndColumns) {
    Matrix matrix = matrixOf({{1, 2, 3}, {4, 5, 6}});
    matrix.transpose();
    EXPECT_EQ(elementsOf(matrix), (Rows{{1, 4}, {2, 5}, {3, 6}}));
    Matrix single = matrixOf({{7}});
    single.transpose();
    EXPECT_EQ(elementsOf(single), (Rows{{7}}));
}

TEST(MatrixTranspose, EmptyShapesTurnAround) {
    Matrix matrix(0, 4);
    matrix.transpose();
    EXPECT_EQ(matrix.rows(), 4);
    EXPECT_EQ(matrix.cols(), 0);
    matrix.transpose();
    EXPECT_EQ(matrix.rows(), 0);
    EXPECT_EQ(matrix.cols(), 4);
}

TEST(MatrixTranspose, TwiceGivesTheMatrixBack) {
    drawsAfterSeed(3, 0);
    Matrix matrix(4, 7);
    matrix.randomize();
    const Rows before = elementsOf(matrix);
    matrix.transpose();
    EXPECT_EQ(matrix.rows(), 7);
    EXPECT_EQ(matrix.get(6, 3), before[3][6]);
    matrix.transpose();
    EXPECT_EQ(elementsOf(matrix), before);
}

TEST(MatrixAccess, GetReturnsWhatSetStoredAndRowWritesThrough) {
    Matrix matrix(2, 3);
    matrix.set(1, 2, 0.1 + 0.2);
    EXPECT_EQ(matrix.get(1, 2), 0.1 + 0.2);
    matrix.row(0)[1] = -4.5;
    EXPECT_EQ(matrix.get(0, 1), -4.5);
    EXPECT_EQ(matrix.row(1).size(), 3u);
}

TEST(MatrixAssignment, DeepCopiesTheSource) {
    Matrix source = matrixOf({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
    Matrix target;
    target = source;
    EXPECT_EQ(elementsOf(target), elementsOf(source));
    target.set(0, 0, 100);
    source.set(3, 1, -100);
    EXPECT_EQ(elementsOf(source), (Rows{{1, 2}, {3, 4}, {5, 6}, {7, -100}}));
    EXPECT_EQ(elementsOf(target), (Rows{{100, 2}, {3, 4}, {5, 6}, {7, 8}}));
}

TEST(MatrixAssignment, ToItselfChangesNothing) {
    Matrix matrix = matrixOf({{1, 2, 3}});
    Matrix& alias = matrix;
    matrix = alias;
    EXPECT_EQ(elementsOf(matrix), (Rows{{1, 2, 3}}));
}

TEST(MatrixAddition, IsElementWise) {
    const Matrix left = matrixOf({{1, 2}, {3, 4}});
    const Matrix right = matrixOf({{0.5, -2}, {10, 0.25}});
    ConsoleCapture console;
    EXPECT_EQ(elementsOf(*(left + right)), (Rows{{1.5, 0}, {13, 4.25}}));
    EXPECT_EQ(console.text(), "");
}

TEST(MatrixAddition, MismatchWritesOnceAndGivesZerosOfTheRightShape) {
    const Matrix left = matrixOf({{1, 2, 3}, {4, 5, 6}});
    const Matrix right = matrixOf({{1, 2}, {3, 4}, {5, 6}});
    ConsoleCapture console;
    EXPECT_EQ(elementsOf(*(left + right)), (Rows{{0, 0}, {0, 0}, {0, 0}}));
    EXPECT_EQ(console.text(), "Error! '+' is bad operation for Matrixs!\n");
    EXPECT_EQ(elementsOf(left), (Rows{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(elementsOf(right), (Rows{{1, 2}, {3, 4}, {5, 6}}));

    std::ostringstream out;
    const auto sum = Matrix(3, 0).plus(Matrix(0, 3), out);
    EXPECT_EQ(sum->rows(), 0);
    EXPECT_EQ(sum->cols(), 3);
    EXPECT_EQ(out.str(), "Error! '+' is bad operation for Matrixs!\n");
}

TEST(MatrixAddition, EmptyMatricesAddSilently) {
    std::ostringstream out;
    const auto sum = Matrix(0, 0).plus(Matrix(0, 0), out);
    EXPECT_EQ(sum->rows(), 0);
    EXPECT_EQ(sum->cols(), 0);
    EXPECT_EQ(out.str(), "");
}

TEST(MatrixDerivativeDiagonal, HoldsTheLogisticsDerivativeOnTheDiagonal) {
    const Vector v = vectorOf({0.0, 0.5, 1.0});
    for (const double offset : {0.11, 0.0, 7.0}) {
        Matrix matrix(3, 3);
        matrix.set(0, 1, 9.0);
        matrix.derivativeDiagonal(v, 0.11, offset);
        EXPECT_EQ(matrix.get(0, 0), 0.11 / 4.0);
        EXPECT_NEAR(matrix.get(1, 1), 0.0274792136, 1e-10);
        EXPECT_NEAR(matrix.get(2, 2), 0.0274169799, 1e-10);
        for (std::int32_t i = 0; i < 3; ++i) {
            for (std::int32_t j = 0; j < 3; ++j) {
                if (i != j) {
                    EXPECT_EQ(matrix.get(i, j), 0.0);
                }
            }
        }
    }
    EXPECT_EQ(elementsOf(v), (std::vector<double>{0.0, 0.5, 1.0}));
}

TEST(MatrixDerivativeDiagonal, KeepsTheShape) {
    Matrix empty(0, 0);
    empty.derivativeDiagonal(Vector(0), 0.11, 0.11);
    EXPECT_EQ(empty.rows(), 0);
    Matrix one(1, 1);
    one.derivativeDiagonal(vectorOf({0.61}), 0.11, 0.11);
    const double e = std::exp(-0.11 * 0.61);
    EXPECT_EQ(one.get(0, 0), (0.11 * e) / ((e + 1) * (e + 1)));
}

}  // namespace

namespace {

TEST(MatrixAdd, InPlaceEqualsTheSumAndTellsWhetherAnythingChanged) {
    Matrix weights = matrixOf({{1e16, 0.5}, {-2, 3}});
    const Matrix change = matrixOf({{1.0, 0.25}, {0.0, -0.0}});
    const auto sum = weights + change;
    EXPECT_TRUE(weights.add(change));
    EXPECT_EQ(elementsOf(weights), elementsOf(*sum));

    Matrix same = matrixOf({{1e16, 5}});
    EXPECT_FALSE(same.add(matrixOf({{1.0, -0.0}})));  // 1e16 + 1 rounds back to 1e16
    EXPECT_EQ(elementsOf(same), (Rows{{1e16, 5}}));
    Matrix empty(0, 3);
    EXPECT_FALSE(empty.add(Matrix(0, 3)));
}

TEST(MatrixEquality, ComparesShapeAndEveryElement) {
    EXPECT_TRUE(matrixOf({{1, 2}}) == matrixOf({{1, 2}}));
    EXPECT_FALSE(matrixOf({{1, 2}}) == matrixOf({{1, 3}}));
    EXPECT_FALSE(Matrix(2, 0) == Matrix(0, 2));
    EXPECT_TRUE(matrixOf({{0.0}}) == matrixOf({{-0.0}}));
}

}  // namespace
