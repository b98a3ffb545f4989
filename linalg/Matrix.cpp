#include "linalg/Matrix.hpp"

#include <cmath>
#include <cstdlib>
#include <iostream>

#include "linalg/Vector.hpp"
#include "transcript/Contract.hpp"
#include "transcript/StreamedNumber.hpp"

Matrix::Matrix() : Matrix(1, 1) {}

Matrix::Matrix(std::int32_t rows, std::int32_t cols)
    : rows_(rows), cols_(cols), elements_(index(rows) * index(cols), 0.0) {}

Matrix& Matrix::operator=(const Matrix& source) {
    // std::vector's assignment is safe when a matrix is assigned to itself.
    rows_ = source.rows_;
    cols_ = source.cols_;
    elements_ = source.elements_;
    return *this;
}

void Matrix::resize(std::int32_t rows, std::int32_t cols) {
    rows_ = rows;
    cols_ = cols;
    elements_.assign(index(rows) * index(cols), 0.0);
}

void Matrix::randomize() {
    for (double& element : elements_) {
        const int hundredths = std::rand() % 100;
        const double x = hundredths / 100.0;
        element = x == 0.0 ? Contract::lowestWeight : x;
    }
}

void Matrix::print(std::ostream& out) const {
    out << Contract::matrixHeader << '\n';
    for (std::int32_t i = 0; i < rows_; ++i) {
        for (const double element : row(i)) {
            out << '\t';
            StreamedNumber::write(out, element);
        }
        out << std::endl;
    }
}

void Matrix::print() const {
    print(std::cout);
}

void Matrix::transpose() {
    std::vector<double> transposed(elements_.size());
    for (std::int32_t i = 0; i < rows_; ++i) {
        for (std::int32_t j = 0; j < cols_; ++j) {
            transposed[index(j) * index(rows_) + index(i)] = get(i, j);
        }
    }
    std::swap(rows_, cols_);
    elements_.swap(transposed);
}

bool Matrix::operator==(const Matrix& other) const {
    return rows_ == other.rows_ && cols_ == other.cols_ && elements_ == other.elements_;
}

std::unique_ptr<Matrix> Matrix::operator+(const Matrix& right) const {
    return plus(right, std::cout);
}

std::unique_ptr<Matrix> Matrix::plus(const Matrix& right, std::ostream& out) const {
    auto sum = std::make_unique<Matrix>(right.rows_, right.cols_);
    if (rows_ != right.rows_ || cols_ != right.cols_) {
        out << Contract::sumMismatch << '\n';
        return sum;
    }
    for (std::size_t k = 0; k < elements_.size(); ++k) {
        sum->elements_[k] = elements_[k] + right.elements_[k];
    }
    return sum;
}

bool Matrix::add(const Matrix& change) {
    bool changed = false;
    for (std::size_t k = 0; k < elements_.size(); ++k) {
        const double sum = elements_[k] + change.elements_[k];
        changed = changed || !(sum == elements_[k]);
        elements_[k] = sum;
    }
    return changed;
}

double Matrix::derivativeAt(double v, double slope) {
    const double e = std::exp(-slope * v);
    return (slope * e) / ((e + 1.0) * (e + 1.0));
}

void Matrix::derivativeDiagonal(const Vector& v, double slope, double /*offset*/) {
    for (std::int32_t i = 0; i < rows_; ++i) {
        for (std::int32_t j = 0; j < cols_; ++j) {
            set(i, j, i == j ? derivativeAt(v.get(i), slope) : 0.0);
        }
    }
}
