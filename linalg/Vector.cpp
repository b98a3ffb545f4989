#include "linalg/Vector.hpp"

#include <array>
#include <cmath>
#include <iostream>

#include "linalg/Matrix.hpp"
#include "transcript/Contract.hpp"
#include "transcript/ElementText.hpp"
#include "transcript/TypedNumber.hpp"

Vector::Vector() : elements_(1, 0.0) {}

Vector::Vector(std::int32_t count) : elements_(static_cast<std::size_t>(count), 0.0) {}

Vector& Vector::operator=(const Vector& source) {
    // std::vector's assignment copies element by element in index order and is safe
    // when a vector is assigned to itself.
    elements_ = source.elements_;
    return *this;
}

std::optional<Vector::ReadFailure> Vector::input(std::istream& in, std::ostream& out) {
    std::optional<ReadFailure> failure;
    for (std::int32_t i = 0; i < size(); ++i) {
        out << Contract::elementPromptStart << i << Contract::elementPromptEnd;
        if (in.fail()) {
            continue;  // an earlier read failed: no later read takes anything
        }
        out.flush();  // the prompt must be visible before the program waits
        const std::string word = TypedNumber::nextWord(in);
        const std::optional<double> value = TypedNumber::read(word);
        if (value) {
            elements_[static_cast<std::size_t>(i)] = *value;
        } else {
            in.setstate(std::ios::failbit);
            failure = ReadFailure{i, word};
        }
    }
    return failure;
}

std::optional<Vector::ReadFailure> Vector::input() {
    return input(std::cin, std::cout);
}

void Vector::print(std::ostream& out) const {
    // The whole line, its end included, goes to the stream in one write (or a few, for
    // huge values); then the stream is flushed, as std::endl would.
    std::array<char, 1024> line;
    std::size_t used = 0;
    for (const double element : elements_) {
        if (line.size() - used <= ElementText::longest) {
            out.write(line.data(), static_cast<std::streamsize>(used));
            used = 0;
        }
        used += ElementText::write(element, line.data() + used);
    }
    line[used++] = '\n';
    out.write(line.data(), static_cast<std::streamsize>(used));
    out.flush();
}

void Vector::print() const {
    print(std::cout);
}

void Vector::resize(std::int32_t count) {
    elements_.assign(static_cast<std::size_t>(count), 0.0);
}

std::unique_ptr<Vector> Vector::operator-(const Vector& right) const {
    return minus(right, std::cout);
}

std::unique_ptr<Vector> Vector::minus(const Vector& right, std::ostream& out) const {
    auto difference = std::make_unique<Vector>(0);
    minus(right, *difference, out);
    return difference;
}

void Vector::minus(const Vector& right, Vector& difference, std::ostream& out) const {
    difference.resize(right.size());
    if (size() != right.size()) {
        out << Contract::differenceMismatch << '\n';
        return;
    }
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        difference.elements_[i] = elements_[i] - right.elements_[i];
    }
}

std::unique_ptr<Vector> Vector::operator*(const Matrix& matrix) const {
    return times(matrix, std::cout);
}

std::unique_ptr<Vector> Vector::times(const Matrix& matrix, std::ostream& out) const {
    auto product = std::make_unique<Vector>(0);
    times(matrix, *product, out);
    return product;
}

void Vector::times(const Matrix& matrix, Vector& product, std::ostream& out) const {
    product.resize(matrix.cols());
    if (size() != matrix.rows()) {
        out << Contract::productMismatch << '\n';
        return;
    }
    for (std::int32_t i = 0; i < matrix.cols(); ++i) {
        double sum = 0.0;
        for (std::int32_t j = 0; j < matrix.rows(); ++j) {
            sum = sum + get(j) * matrix.row(j)[static_cast<std::size_t>(i)];
        }
        product.elements_[static_cast<std::size_t>(i)] = sum;
    }
}

void Vector::timesTransposed(const Matrix& matrix, Vector& product) const {
    product.resize(matrix.rows());
    for (std::int32_t i = 0; i < matrix.rows(); ++i) {
        const std::span<const double> row = matrix.row(i);
        double sum = 0.0;
        for (std::size_t j = 0; j < row.size(); ++j) {
            sum = sum + elements_[j] * row[j];
        }
        product.elements_[static_cast<std::size_t>(i)] = sum;
    }
}

void Vector::activate(double slope, double offset, std::int32_t skip) {
    if (skip != 0) {
        return;
    }
    for (double& x : elements_) {
        x = activation(x, slope, offset);
    }
}

double Vector::activation(double x, double slope, double offset) {
    return 1.0 / (std::exp(-slope * x) + 1.0) + offset;
}
