#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <vector>

class Vector;

// A dense row-major matrix of doubles. Its rows lie in one owned block; Matrix::row
// gives direct access to the elements of one row.
class Matrix {
  public:
    Matrix();
    Matrix(std::int32_t rows, std::int32_t cols);
    // Matrices are never copied by construction; assignment is the one deep copy.
    Matrix(const Matrix& source) = delete;
    Matrix(Matrix&& source) noexcept = default;
    Matrix& operator=(const Matrix& source);
    Matrix& operator=(Matrix&& source) noexcept = default;
    ~Matrix() = default;

    // Takes the new shape with every element 0.0; the old content is always discarded.
    void resize(std::int32_t rows, std::int32_t cols);

    // Fills every element, row by row, with one std::rand() draw each: 0.01 to 0.99.
    void randomize();

    // "Matrix is:\n", then one flushed line per row with a tab before every element.
    void print(std::ostream& out) const;
    void print() const;

    // In place: element (i, j) becomes the former element (j, i).
    void transpose();

    void set(std::int32_t i, std::int32_t j, double value) { row(i)[index(j)] = value; }
    double get(std::int32_t i, std::int32_t j) const { return row(i)[index(j)]; }
    std::int32_t rows() const { return rows_; }
    std::int32_t cols() const { return cols_; }
    // Every element, row by row.
    std::span<const double> elements() const { return elements_; }
    std::span<double> row(std::int32_t i) {
        return {elements_.data() + index(i) * index(cols_), index(cols_)};
    }
    std::span<const double> row(std::int32_t i) const {
        return {elements_.data() + index(i) * index(cols_), index(cols_)};
    }

    // Same shape and equal elements (so a matrix holding a NaN equals no matrix).
    bool operator==(const Matrix& other) const;

    // Element-wise sum. On a shape mismatch: a message and a zero matrix of the right
    // operand's shape.
    std::unique_ptr<Matrix> operator+(const Matrix& right) const;
    std::unique_ptr<Matrix> plus(const Matrix& right, std::ostream& out) const;

    // Adds the change, element by element, in place: each element becomes itself plus
    // the change's, as the sum above would make it. The shapes must agree. Returns
    // whether any element's value changed.
    bool add(const Matrix& change);

    // The derivative of the logistic 1 / (1 + exp(-slope * x)) at v's elements on the
    // diagonal, 0.0 elsewhere. The matrix keeps its shape, which must be square with no
    // more rows than v has elements. The offset does not enter.
    void derivativeDiagonal(const Vector& v, double slope, double offset);
    // That derivative at one value.
    static double derivativeAt(double v, double slope);

  private:
    static std::size_t index(std::int32_t i) { return static_cast<std::size_t>(i); }

    std::int32_t rows_;
    std::int32_t cols_;
    std::vector<double> elements_;
};
