#include "linalg/Vector.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include "ConsoleCapture.hpp"
#include "Values.hpp"
#include "linalg/Matrix.hpp"

namespace {

using Elements = std::vector<double>;

std::string printOf(const Vector& vector) {
    std::ostringstream out;
    vector.print(out);
    return out.str();
}

TEST(VectorConstruction, DefaultHoldsOneZero) {
    EXPECT_EQ(elementsOf(Vector()), Elements{0.0});
    EXPECT_EQ(printOf(Vector()), "0.000 \n");
}

TEST(VectorConstruction, CountGivesZeros) {
    EXPECT_EQ(elementsOf(Vector(3)), Elements(3, 0.0));
    EXPECT_EQ(printOf(Vector(3)), "0.000 0.000 0.000 \n");
    EXPECT_EQ(Vector(0).size(), 0);
}

struct PrintCase {
    std::vector<double> values;
    const char* text;
    friend void PrintTo(const PrintCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class VectorPrint : public testing::TestWithParam<PrintCase> {};

TEST_P(VectorPrint, WritesEveryElementThenALineEnd) {
    EXPECT_EQ(printOf(vectorOf(GetParam().values)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Formats, VectorPrint,
                         testing::Values(PrintCase{{0.11, -1.0, 12.3456}, "0.110 -1.000 12.346 \n"},
                                         PrintCase{{}, "\n"}, PrintCase{{-0.0}, "-0.000 \n"},
                                         PrintCase{{0.0005, 0.0015, -0.0004},
                                                   "0.001 0.002 -0.000 \n"},
                                         PrintCase{{1234567.0}, "1234567.000 \n"}));

TEST(VectorPrint, LargestDoubleIsWrittenWhole) {
    const double largest = std::numeric_limits<double>::max();
    const std::string expected = printed(-largest) + printed(largest) + "\n";
    EXPECT_GT(expected.size(), 600u);
    EXPECT_EQ(printOf(vectorOf({-largest, largest})), expected);
}

TEST(VectorPrint, LineEndFlushesTheStream) {
    struct FlushCounter : std::stringbuf {
        int flushes = 0;
        int sync() override {
            ++flushes;
            return 0;
        }
    } counter;
    std::ostream out(&counter);
    vectorOf({1.0, 2.0}).print(out);
    EXPECT_EQ(counter.flushes, 1);
    EXPECT_EQ(counter.str(), "1.000 2.000 \n");
}

TEST(VectorPrint, DefaultStreamIsStandardOutput) {
    ConsoleCapture console;
    vectorOf({0.5}).print();
    EXPECT_EQ(console.text(), "0.500 \n");
}

TEST(VectorInput, PromptsForEveryElementInOrder) {
    Vector vector(3);
    std::istringstream in("1.5\n-2e-3   +7\n");
    std::ostringstream out;
    EXPECT_EQ(vector.input(in, out), std::nullopt);
    EXPECT_EQ(out.str(),
              "Enter vector [0] element: Enter vector [1] element: Enter vector [2] element: ");
    EXPECT_EQ(elementsOf(vector), (Elements{1.5, -0.002, 7.0}));
}

TEST(VectorInput, EmptyVectorNeitherPromptsNorReads) {
    Vector vector(0);
    std::istringstream in("5");
    std::ostringstream out;
    EXPECT_EQ(vector.input(in, out), std::nullopt);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(in.tellg(), 0);
}

TEST(VectorInput, ReadsNumbersAsTheStreamExtractionDoes) {
    for (const char* text : {".5", "5.", "1e-3", "-0", "0x10", "1e-320", "00012", "2E2"}) {
        std::istringstream reference(text);
        double expected = 0.0;
        reference >> expected;
        const bool whole = !reference.fail() && reference.eof();
        Vector vector(1);
        std::istringstream in(text);
        std::ostringstream out;
        const auto failure = vector.input(in, out);
        EXPECT_EQ(failure.has_value(), !whole) << text;
        if (whole) {
            EXPECT_EQ(std::signbit(vector.get(0)), std::signbit(expected)) << text;
            EXPECT_EQ(vector.get(0), expected) << text;
        }
    }
}

struct UnreadableCase {
    const char* input;
    std::int32_t index;
    const char* found;
    friend void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << '"' << c.input << '"'; }
};

class VectorUnreadableInput : public testing::TestWithParam<UnreadableCase> {};

TEST_P(VectorUnreadableInput, KeepsTheElementAndFailsEveryLaterRead) {
    Vector vector = vectorOf({9.0, 9.0, 9.0});
    std::istringstream in(GetParam().input);
    std::ostringstream out;
    const auto failure = vector.input(in, out);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->index, GetParam().index);
    EXPECT_EQ(failure->found, GetParam().found);
    EXPECT_TRUE(in.fail());
    // Every prompt still appears; the elements read before the failure hold their
    // numbers and every other element keeps its value.
    EXPECT_EQ(out.str(),
              "Enter vector [0] element: Enter vector [1] element: Enter vector [2] element: ");
    for (std::int32_t i = GetParam().index; i < 3; ++i) {
        EXPECT_EQ(vector.get(i), 9.0) << i;
    }
    for (std::int32_t i = 0; i < GetParam().index; ++i) {
        EXPECT_EQ(vector.get(i), i + 1.0) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, VectorUnreadableInput,
    testing::Values(UnreadableCase{"abc 2 3", 0, "abc"}, UnreadableCase{"1 - 3", 1, "-"},
                    UnreadableCase{"1 2 +", 2, "+"}, UnreadableCase{"1e999 2 3", 0, "1e999"},
                    UnreadableCase{"1 -1e999 3", 1, "-1e999"}, UnreadableCase{"1 2x 3", 1, "2x"},
                    UnreadableCase{"1 2 3,5", 2, "3,5"}, UnreadableCase{"1 inf 3", 1, "inf"},
                    UnreadableCase{"nan", 0, "nan"}, UnreadableCase{"", 0, ""},
                    UnreadableCase{"1 \n", 1, ""}, UnreadableCase{"1 2", 2, ""}));

TEST(VectorInput, OnlyTheFirstFailedReadIsReported) {
    Vector first(2);
    Vector second(2);
    std::istringstream in("x 1 2 3");
    std::ostringstream out;
    EXPECT_TRUE(first.input(in, out).has_value());
    EXPECT_EQ(second.input(in, out), std::nullopt);
    EXPECT_EQ(elementsOf(second), Elements(2, 0.0));
    EXPECT_EQ(out.str(),
              "Enter vector [0] element: Enter vector [1] element: "
              "Enter vector [0] element: Enter vector [1] element: ");
}

TEST(VectorInput, DefaultStreamsAreTheConsole) {
    std::istringstream in("4 5");
    auto* saved = std::cin.rdbuf(in.rdbuf());
    Vector vector(2);
    {
        ConsoleCapture console;
        vector.input();
        EXPECT_EQ(console.text(), "Enter vector [0] element: Enter vector [1] element: ");
    }
    std::cin.rdbuf(saved);
    EXPECT_EQ(elementsOf(vector), (Elements{4.0, 5.0}));
}

TEST(VectorResize, NewElementsAreZeroAndOldContentIsGone) {
    Vector vector = vectorOf({7.0});
    vector.resize(5);
    EXPECT_EQ(elementsOf(vector), Elements(5, 0.0));
    Vector same = vectorOf({1.0, 2.0});
    same.resize(2);
    EXPECT_EQ(elementsOf(same), Elements(2, 0.0));
    same.resize(0);
    EXPECT_EQ(same.size(), 0);
}

TEST(VectorAssignment, TakesTheSourcesSizeAndElements) {
    Vector target;
    target = vectorOf({1.0, 2.0, 3.0, 4.0});
    EXPECT_EQ(elementsOf(target), (Elements{1.0, 2.0, 3.0, 4.0}));
}

TEST(VectorAssignment, ToItselfChangesNothing) {
    Vector vector = vectorOf({1.0, -2.5});
    Vector& alias = vector;
    vector = alias;
    EXPECT_EQ(elementsOf(vector), (Elements{1.0, -2.5}));
}

TEST(VectorAssignment, CopiesAreIndependent) {
    Vector source = vectorOf({1.0, 2.0});
    Vector copied(source);
    Vector assigned;
    assigned = source;

    std::istringstream in("8 9");
    std::ostringstream out;
    source.input(in, out);
    EXPECT_EQ(elementsOf(copied), (Elements{1.0, 2.0}));
    EXPECT_EQ(elementsOf(assigned), (Elements{1.0, 2.0}));

    copied.activate(0.11, 0.11, 0);
    assigned = Vector(3);
    EXPECT_EQ(elementsOf(source), (Elements{8.0, 9.0}));
}

TEST(VectorSubtraction, IsElementWiseLeftMinusRight) {
    const Vector left = vectorOf({1.0, 2.0});
    const Vector right = vectorOf({0.5, 3.0});
    ConsoleCapture console;
    EXPECT_EQ(elementsOf(*(left - right)), (Elements{0.5, -1.0}));
    EXPECT_EQ(elementsOf(left), (Elements{1.0, 2.0}));
    EXPECT_EQ(elementsOf(right), (Elements{0.5, 3.0}));
    EXPECT_EQ(console.text(), "");
}

TEST(VectorSubtraction, MismatchWritesOnceAndGivesZerosOfTheRightSize) {
    const Vector three = vectorOf({1.0, 2.0, 3.0});
    const Vector two = vectorOf({1.0, 2.0});
    ConsoleCapture console;
    EXPECT_EQ(elementsOf(*(three - two)), Elements(2, 0.0));
    EXPECT_EQ(console.text(), "Error! '-' is bad operation for Vector!\n");
    std::ostringstream out;
    EXPECT_EQ(elementsOf(*two.minus(three, out)), Elements(3, 0.0));
    EXPECT_EQ(out.str(), "Error! '-' is bad operation for Vector!\n");
}

TEST(VectorProduct, IsTheRowVectorTimesTheMatrix) {
    const Matrix matrix = matrixOf({{3.0, 4.0}, {5.0, 6.0}});
    EXPECT_EQ(elementsOf(*(vectorOf({1.0, 2.0}) * matrix)), (Elements{13.0, 16.0}));
}

TEST(VectorProduct, SumsRowsInAscendingOrderFromZero) {
    // Summed from row 0 up, 1e16 + 1 rounds back to 1e16 and the total is 0; any other
    // order of the same terms gives 1 or 2.
    const Matrix column = matrixOf({{1.0}, {1.0}, {1.0}});
    EXPECT_EQ(elementsOf(*(vectorOf({1e16, 1.0, -1e16}) * column)), Elements{0.0});
    EXPECT_EQ(elementsOf(*(vectorOf({1.0, 1e16, -1e16}) * column)), Elements{0.0});
    EXPECT_EQ(elementsOf(*(vectorOf({1e16, -1e16, 1.0}) * column)), Elements{1.0});
    // The sum starts from +0.0, so products of -0.0 give +0.0.
    const Vector product = *(vectorOf({-0.0}) * matrixOf({{1.0}}));
    EXPECT_FALSE(std::signbit(product.get(0)));
}

struct ShapeCase {
    std::int32_t size;
    std::int32_t rows;
    std::int32_t cols;
    bool mismatch;
    friend void PrintTo(const ShapeCase& c, std::ostream* os) {
        *os << c.size << " by " << c.rows << 'x' << c.cols;
    }
};

class VectorProductShape : public testing::TestWithParam<ShapeCase> {};

TEST_P(VectorProductShape, ResultHasOneElementPerColumn) {
    const auto [size, rows, cols, mismatch] = GetParam();
    Matrix matrix(rows, cols);
    std::ostringstream out;
    const auto product = Vector(size).times(matrix, out);
    EXPECT_EQ(elementsOf(*product), Elements(static_cast<std::size_t>(cols), 0.0));
    EXPECT_EQ(out.str(), mismatch ? "Error '*' operation!!!\n" : "");
}

INSTANTIATE_TEST_SUITE_P(Shapes, VectorProductShape,
                         testing::Values(ShapeCase{3, 2, 4, true}, ShapeCase{3, 3, 0, false},
                                         ShapeCase{0, 0, 4, false}, ShapeCase{0, 1, 2, true},
                                         ShapeCase{2, 2, 2, false}));

TEST(VectorProduct, OperatorWritesItsMessageToStandardOutput) {
    ConsoleCapture console;
    const auto product = Vector(3) * Matrix(2, 4);
    EXPECT_EQ(product->size(), 4);
    EXPECT_EQ(console.text(), "Error '*' operation!!!\n");
}

TEST(VectorActivate, AppliesTheShiftedLogisticInPlace) {
    Vector vector = vectorOf({0.0, 1.0, -1.0});
    vector.activate(0.11, 0.11, 0);
    EXPECT_EQ(vector.get(0), 0.5 + 0.11);
    EXPECT_NEAR(vector.get(1), 0.6374723, 1e-7);
    EXPECT_NEAR(vector.get(2), 0.5825276, 1e-7);
    EXPECT_EQ(printOf(vector), "0.610 0.637 0.583 \n");
}

TEST(VectorActivate, StaysWithinTheOffsetAndOnePlusTheOffset) {
    Vector vector = vectorOf({1e6, -1e6, 1e300, -1e300});
    vector.activate(0.11, 0.11, 0);
    EXPECT_EQ(elementsOf(vector), (Elements{1.11, 0.11, 1.11, 0.11}));
}

TEST(VectorActivate, SkipFlagOrEmptyVectorChangesNothing) {
    Vector vector = vectorOf({0.0, 1.0});
    vector.activate(0.11, 0.11, 1);
    EXPECT_EQ(elementsOf(vector), (Elements{0.0, 1.0}));
    Vector empty(0);
    empty.activate(0.11, 0.11, 0);
    EXPECT_EQ(empty.size(), 0);
}

}  // namespace

namespace {

// The print writes each element as the C library's "%4.3f " would: checked against the
// C library itself on ties, extremes, non-finite values and random bit patterns.
TEST(VectorPrint, MatchesTheCLibraryForEveryKindOfValue) {
    std::vector<double> values{0.0,
                               -0.0,
                               std::numeric_limits<double>::denorm_min(),
                               -std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::max(),
                               0.0005,
                               0.0015,
                               -0.0005,
                               999.9995,
                               1e15 + 0.5,
                               123456789012345678.0};
    for (int k = -2000; k <= 2000; ++k) {
        values.push_back(k / 16.0);  // exact ties at the fourth decimal
        values.push_back(k / 1000.0);
        values.push_back(k * 0.0005);
    }
    std::srand(11);
    for (int k = 0; k < 20000; ++k) {
        std::uint64_t bits = 0;
        for (int part = 0; part < 4; ++part) {
            bits = bits << 16 | static_cast<std::uint64_t>(std::rand() & 0xffff);
        }
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) {
            values.push_back(value);
        }
        values.push_back(std::ldexp(static_cast<double>(bits >> 11), -50 + k % 60));
    }
    for (const double value : values) {
        ASSERT_EQ(printOf(vectorOf({value})), printed(value) + "\n") << value;
    }
}

TEST(VectorPrint, MatchesTheCLibraryForInfinitiesAndNaNs) {
    // No number read is infinite, so they are made by overflow: 1e300 * 1e300, and
    // infinity minus infinity for a NaN.
    std::ostringstream silent;
    const auto infinities = vectorOf({1e300, -1e300}).times(matrixOf({{1e300}, {0.0}}), silent);
    const auto both =
        vectorOf({1e300, -1e300}).times(matrixOf({{1e300, 0.0}, {0.0, 1e300}}), silent);
    const auto nan = infinities->minus(*infinities, silent);
    std::string expected;
    for (const Vector* vector : {both.get(), nan.get()}) {
        expected.clear();
        for (std::int32_t i = 0; i < vector->size(); ++i) {
            expected += printed(vector->get(i));
        }
        EXPECT_EQ(printOf(*vector), expected + "\n");
    }
    EXPECT_TRUE(std::isinf(both->get(0)) && std::isinf(both->get(1)));
    EXPECT_TRUE(std::isnan(nan->get(0)));
    EXPECT_EQ(printOf(*both), " inf -inf \n");
}

}  // namespace

namespace {

// The products into a caller's vector reuse its storage and give exactly what the
// operators give.
TEST(VectorProductInto, GivesWhatTheOperatorsGive) {
    std::srand(21);
    Matrix matrix(4, 3);
    matrix.randomize();
    const Vector v = vectorOf({0.3, -1.7, 2.25, 1e-3});
    Vector product = vectorOf({5, 5, 5, 5, 5, 5});
    std::ostringstream out;
    v.times(matrix, product, out);
    EXPECT_EQ(elementsOf(product), elementsOf(*(v * matrix)));
    Vector difference(7);
    v.minus(vectorOf({1, 2, 3, 4}), difference, out);
    EXPECT_EQ(elementsOf(difference), elementsOf(*(v - vectorOf({1, 2, 3, 4}))));
    v.minus(Vector(2), difference, out);
    EXPECT_EQ(elementsOf(difference), Elements(2, 0.0));
    Vector(2).times(matrix, product, out);
    EXPECT_EQ(elementsOf(product), Elements(3, 0.0));
    EXPECT_EQ(out.str(), "Error! '-' is bad operation for Vector!\nError '*' operation!!!\n");
}

// The product with the transpose, formed directly, equals the product with the matrix
// transposed in place, bit for bit.
TEST(VectorProductInto, TransposedEqualsTransposingFirst) {
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        std::srand(seed);
        const std::int32_t rows = 1 + std::rand() % 9;
        const std::int32_t cols = std::rand() % 10;
        Matrix matrix(rows, cols);
        matrix.randomize();
        std::vector<double> values;
        for (std::int32_t j = 0; j < cols; ++j) {
            values.push_back((std::rand() % 2001 - 1000) / 3.0);
        }
        const Vector v = vectorOf(values);
        Vector direct;
        v.timesTransposed(matrix, direct);
        matrix.transpose();
        EXPECT_EQ(elementsOf(direct), elementsOf(*(v * matrix))) << seed;
    }
}

}  // namespace
