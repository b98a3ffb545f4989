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

TEST(VectorPrint, WritesEveryElementThenOneFlushedLineEnd) {
    EXPECT_EQ(printOf(Vector()), "0.000 \n");
    EXPECT_EQ(printOf(Vector(3)), "0.000 0.000 0.000 \n");
    EXPECT_EQ(printOf(Vector(0)), "\n");
    EXPECT_EQ(printOf(vectorOf({0.11, -1.0, 12.3456, -0.0})), "0.110 -1.000 12.346 -0.000 \n");
    EXPECT_EQ(flushesOf([](std::ostream& out) { vectorOf({1.0, 2.0}).print(out); }), 1);
    ConsoleCapture console;
    vectorOf({0.5}).print();
    EXPECT_EQ(console.text(), "0.500 \n");
}

// Each element's text must be what the C library's "%4.3f " makes of it: checked against
// the C library itself on ties, extremes, infinities, NaNs and random bit patterns.
TEST(VectorPrint, MatchesTheCLibraryForEveryKindOfValue) {
    Elements values{std::numeric_limits<double>::denorm_min(),
                    std::numeric_limits<double>::max(),
                    -std::numeric_limits<double>::max(),
                    0.0005,
                    999.9995,
                    1e15 + 0.5};
    for (int k = -2000; k <= 2000; ++k) {
        values.push_back(k / 16.0);  // exact ties at the fourth decimal
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
        values.push_back(std::isfinite(value) ? value : 0.0);
        values.push_back(std::ldexp(static_cast<double>(bits >> 11), -50 + k % 60));
    }
    for (const double value : values) {
        ASSERT_EQ(printOf(vectorOf({value})), printed(value) + "\n") << value;
    }
    // No number read is infinite: infinities come from overflow, a NaN from their difference.
    std::ostringstream silent;
    const auto infinite =
        vectorOf({1e300, -1e300}).times(matrixOf({{1e300, 0}, {0, 1e300}}), silent);
    const auto nan = infinite->minus(*infinite, silent);
    EXPECT_EQ(printOf(*infinite), " inf -inf \n");
    EXPECT_EQ(printOf(*nan), printed(nan->get(0)) + printed(nan->get(1)) + "\n");
}

TEST(VectorInput, PromptsForEveryElementAndReadsAsTheStreamDoes) {
    Vector vector(3);
    std::istringstream in("1.5\n-2e-3   +7\n");
    std::ostringstream out;
    EXPECT_EQ(vector.input(in, out), std::nullopt);
    EXPECT_EQ(out.str(),
              "Enter vector [0] element: Enter vector [1] element: Enter vector [2] element: ");
    EXPECT_EQ(elementsOf(vector), (Elements{1.5, -0.002, 7.0}));

    Vector empty(0);
    EXPECT_EQ(empty.input(in, out), std::nullopt);
    EXPECT_EQ(out.str().size(), 78u) << "no prompt for an empty vector";

    for (const char* text : {".5", "5.", "-0", "1e-320", "00012", "2E2", "0x10"}) {
        std::istringstream reference(text);
        double expected = 0.0;
        reference >> expected;
        const bool whole = !reference.fail() && reference.eof();
        Vector one(1);
        std::istringstream oneIn(text);
        EXPECT_EQ(!one.input(oneIn, out).has_value(), whole) << text;
        EXPECT_EQ(std::signbit(one.get(0)), whole && std::signbit(expected)) << text;
        EXPECT_EQ(one.get(0), whole ? expected : 0.0) << text;
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
    const auto [input, index, found] = GetParam();
    Vector vector = vectorOf({9.0, 9.0, 9.0});
    std::istringstream in(input);
    std::ostringstream out;
    EXPECT_EQ(vector.input(in, out), (Vector::ReadFailure{index, found}));
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(out.str(),
              "Enter vector [0] element: Enter vector [1] element: Enter vector [2] element: ");
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(vector.get(i), i < index ? i + 1.0 : 9.0) << i;
    }
    // Later reads fail at once, and are not reported again.
    Vector later(1);
    EXPECT_EQ(later.input(in, out), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, VectorUnreadableInput,
    testing::Values(UnreadableCase{"abc 2 3", 0, "abc"}, UnreadableCase{"1 - 3", 1, "-"},
                    UnreadableCase{"1e999 2 3", 0, "1e999"},
                    UnreadableCase{"1 -1e999 3", 1, "-1e999"}, UnreadableCase{"1 2x 3", 1, "2x"},
                    UnreadableCase{"1 2 3,5", 2, "3,5"}, UnreadableCase{"1 inf 3", 1, "inf"},
                    UnreadableCase{"", 0, ""}, UnreadableCase{"1 2", 2, ""}));

TEST(VectorCopies, AreDeepAndResizeClears) {
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
    assigned = Vector(4);
    EXPECT_EQ(elementsOf(source), (Elements{8.0, 9.0}));
    EXPECT_EQ(elementsOf(assigned), Elements(4, 0.0));

    const Vector& alias = source;
    source = alias;
    EXPECT_EQ(elementsOf(source), (Elements{8.0, 9.0}));
    source.resize(2);
    EXPECT_EQ(elementsOf(source), Elements(2, 0.0));
    source.resize(5);
    EXPECT_EQ(elementsOf(source), Elements(5, 0.0));
}

TEST(VectorArithmetic, SubtractsAndMultipliesByHand) {
    const Vector left = vectorOf({1.0, 2.0});
    ConsoleCapture console;
    EXPECT_EQ(elementsOf(*(left - vectorOf({0.5, 3.0}))), (Elements{0.5, -1.0}));
    EXPECT_EQ(elementsOf(*(left * matrixOf({{3, 4}, {5, 6}}))), (Elements{13.0, 16.0}));
    EXPECT_EQ(elementsOf(left), (Elements{1.0, 2.0}));
    EXPECT_EQ(console.text(), "");
    // Summed over rows from 0 up, starting at +0.0: 1e16 + 1 rounds back to 1e16, so the
    // total is 0 (any other order gives 1 or 2), and -0.0 terms give +0.0.
    const Matrix column = matrixOf({{1.0}, {1.0}, {1.0}});
    EXPECT_EQ(elementsOf(*(vectorOf({1e16, 1.0, -1e16}) * column)), Elements{0.0});
    EXPECT_EQ(elementsOf(*(vectorOf({1e16, -1e16, 1.0}) * column)), Elements{1.0});
    EXPECT_FALSE(std::signbit((*(vectorOf({-0.0}) * matrixOf({{1.0}}))).get(0)));
}

struct MismatchCase {
    std::int32_t size;
    std::int32_t rows;
    std::int32_t cols;
    const char* message;
    friend void PrintTo(const MismatchCase& c, std::ostream* os) {
        *os << c.size << " by " << c.rows << 'x' << c.cols;
    }
};

class VectorProductShape : public testing::TestWithParam<MismatchCase> {};

TEST_P(VectorProductShape, HasOneElementPerColumnAndNamesAMismatchOnce) {
    const auto [size, rows, cols, message] = GetParam();
    ConsoleCapture console;
    EXPECT_EQ(elementsOf(*(Vector(size) * Matrix(rows, cols))), Elements(std::size_t(cols), 0.0));
    EXPECT_EQ(console.text(), message);
}

INSTANTIATE_TEST_SUITE_P(Shapes, VectorProductShape,
                         testing::Values(MismatchCase{3, 2, 4, "Error '*' operation!!!\n"},
                                         MismatchCase{0, 1, 2, "Error '*' operation!!!\n"},
                                         MismatchCase{3, 3, 0, ""}, MismatchCase{0, 0, 4, ""}));

TEST(VectorArithmetic, SubtractionMismatchGivesTheRightOperandsSize) {
    ConsoleCapture console;
    EXPECT_EQ(elementsOf(*(Vector(3) - vectorOf({1, 2}))), Elements(2, 0.0));
    std::ostringstream out;
    EXPECT_EQ(elementsOf(*vectorOf({1, 2}).minus(Vector(3), out)), Elements(3, 0.0));
    EXPECT_EQ(console.text(), "Error! '-' is bad operation for Vector!\n");
    EXPECT_EQ(out.str(), console.text());
}

// The products into a caller's vector, and the product with a transpose formed directly,
// give exactly what the operators give.
TEST(VectorArithmetic, ProductsIntoAVectorMatchTheOperators) {
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        std::srand(seed);
        const std::int32_t rows = 1 + std::rand() % 9;
        const std::int32_t cols = std::rand() % 10;
        Matrix matrix(rows, cols);
        matrix.randomize();
        Elements values;
        for (std::int32_t j = 0; j < cols; ++j) {
            values.push_back((std::rand() % 2001 - 1000) / 3.0);
        }
        const Vector v = vectorOf(values);
        Vector direct = vectorOf({5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5});
        v.timesTransposed(matrix, direct);
        matrix.transpose();
        EXPECT_EQ(elementsOf(direct), elementsOf(*(v * matrix))) << seed;
        std::ostringstream out;
        v.times(matrix, direct, out);
        EXPECT_EQ(elementsOf(direct), elementsOf(*(v * matrix))) << seed;
        v.minus(vectorOf(values), direct, out);
        EXPECT_EQ(elementsOf(direct), Elements(values.size(), 0.0)) << seed;
    }
}

TEST(VectorActivate, AppliesTheShiftedLogisticUnlessSkipped) {
    Vector vector = vectorOf({0.0, 1.0, -1.0, 1e300, -1e300});
    vector.activate(0.11, 0.11, 1);
    EXPECT_EQ(elementsOf(vector), (Elements{0.0, 1.0, -1.0, 1e300, -1e300}));
    vector.activate(0.11, 0.11, 0);
    EXPECT_EQ(vector.get(0), 0.5 + 0.11);
    EXPECT_NEAR(vector.get(1), 0.6374723, 1e-7);
    EXPECT_NEAR(vector.get(2), 0.5825276, 1e-7);
    EXPECT_EQ(vector.get(3), 1.11);
    EXPECT_EQ(vector.get(4), 0.11);
    Vector empty(0);
    empty.activate(0.11, 0.11, 0);
    EXPECT_EQ(empty.size(), 0);
}

}  // namespace
