#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class Matrix;

// A dense vector of doubles with an exclusively owned array of elements.
// Copies are deep; the arithmetic operators hand back a new vector owned by the caller.
class Vector {
  public:
    // Why a read of Vector::input failed: which element, and the text found there
    // (empty when the input had ended).
    struct ReadFailure {
        std::int32_t index;
        std::string found;
        bool operator==(const ReadFailure&) const = default;
    };

    Vector();
    explicit Vector(std::int32_t count);
    Vector(const Vector& source) = default;
    Vector(Vector&& source) noexcept = default;
    Vector& operator=(const Vector& source);
    Vector& operator=(Vector&& source) noexcept = default;
    ~Vector() = default;

    // Prompts for and reads every element in index order. A number that cannot be
    // read leaves its element unchanged and puts `in` into its failed state, so that
    // every later read fails at once while every prompt is still written. Returns the
    // failure of the first read that failed here while `in` was still readable.
    std::optional<ReadFailure> input(std::istream& in, std::ostream& out);
    std::optional<ReadFailure> input();

    // One line: every element as "%4.3f ", then a flushed line end.
    void print(std::ostream& out) const;
    void print() const;

    std::int32_t size() const { return static_cast<std::int32_t>(elements_.size()); }
    std::span<const double> elements() const { return elements_; }
    double get(std::int32_t i) const { return elements_[static_cast<std::size_t>(i)]; }
    void set(std::int32_t i, double value) { elements_[static_cast<std::size_t>(i)] = value; }

    // New elements are 0.0; the old content is always discarded.
    void resize(std::int32_t count);

    // Element-wise left minus right. On a size mismatch: a message and a zero vector
    // of the right operand's size.
    std::unique_ptr<Vector> operator-(const Vector& right) const;
    std::unique_ptr<Vector> minus(const Vector& right, std::ostream& out) const;
    // The same into a vector of the caller's, reusing its storage; not this vector.
    void minus(const Vector& right, Vector& difference, std::ostream& out) const;

    // This vector as a row times the matrix. On a mismatch of this vector's size and
    // the matrix's row count: a message and a zero vector with one element per column.
    std::unique_ptr<Vector> operator*(const Matrix& matrix) const;
    std::unique_ptr<Vector> times(const Matrix& matrix, std::ostream& out) const;
    // The same into a vector of the caller's, reusing its storage; not this vector.
    void times(const Matrix& matrix, Vector& product, std::ostream& out) const;

    // This vector times the transpose of the matrix, without forming the transpose:
    // element i is the sum over j ascending, from 0.0, of element j times matrix(i, j),
    // the very terms and order of the product with the transposed matrix. The vector's
    // size must equal the matrix's column count.
    void timesTransposed(const Matrix& matrix, Vector& product) const;

    // Every element x becomes 1 / (exp(-slope * x) + 1) + offset, unless skip is set.
    void activate(double slope, double offset, std::int32_t skip);
    // That of one value.
    static double activation(double x, double slope, double offset);

  private:
    std::vector<double> elements_;
};
