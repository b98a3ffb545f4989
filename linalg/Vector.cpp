#include "linalg/Vector.hpp"

#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <locale>
#include <sstream>

#include "linalg/Matrix.hpp"

namespace {

// White space as the "C" locale's number extraction skips it.
bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Takes the next word (a run of characters up to white space) from the stream.
// An empty word means the input has ended.
std::string nextWord(std::istream& in) {
    using Traits = std::istream::traits_type;
    std::string word;
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr) {
        in.setstate(std::ios::eofbit);
        return word;
    }
    Traits::int_type c = buffer->sgetc();
    while (!Traits::eq_int_type(c, Traits::eof()) && isSpace(c)) {
        c = buffer->snextc();
    }
    while (!Traits::eq_int_type(c, Traits::eof()) && !isSpace(c)) {
        word.push_back(Traits::to_char_type(c));
        c = buffer->snextc();
    }
    if (Traits::eq_int_type(c, Traits::eof())) {
        in.setstate(std::ios::eofbit);
    }
    return word;
}

// The word's value when the whole word is one number, read exactly as the stream's
// own extraction of a double reads it. A number too large for a double is no value.
std::optional<double> wholeNumber(const std::string& word) {
    std::istringstream text(word);
    text.imbue(std::locale::classic());
    double value = 0.0;
    text >> value;
    if (text.fail() || !text.eof()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

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
        out << "Enter vector [" << i << "] element: ";
        if (in.fail()) {
            continue;  // an earlier read failed: no later read takes anything
        }
        out.flush();  // the prompt must be visible before the program waits
        const std::string word = nextWord(in);
        const std::optional<double> value = wholeNumber(word);
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
    // Large enough for "%4.3f " of any double: at most 309 digits before the point.
    std::array<char, 400> text{};
    for (const double element : elements_) {
        const int length = std::snprintf(text.data(), text.size(), "%4.3f ", element);
        out.write(text.data(), length);
    }
    out << std::endl;
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
    auto difference = std::make_unique<Vector>(right.size());
    if (size() != right.size()) {
        out << "Error! '-' is bad operation for Vector!\n";
        return difference;
    }
    for (std::int32_t i = 0; i < size(); ++i) {
        difference->elements_[static_cast<std::size_t>(i)] = get(i) - right.get(i);
    }
    return difference;
}

std::unique_ptr<Vector> Vector::operator*(const Matrix& matrix) const {
    return times(matrix, std::cout);
}

std::unique_ptr<Vector> Vector::times(const Matrix& matrix, std::ostream& out) const {
    auto product = std::make_unique<Vector>(matrix.cols());
    if (size() != matrix.rows()) {
        out << "Error '*' operation!!!\n";
        return product;
    }
    for (std::int32_t i = 0; i < matrix.cols(); ++i) {
        double& sum = product->elements_[static_cast<std::size_t>(i)];
        for (std::int32_t j = 0; j < matrix.rows(); ++j) {
            sum = sum + get(j) * matrix.row(j)[static_cast<std::size_t>(i)];
        }
    }
    return product;
}

void Vector::activate(double slope, double offset, std::int32_t skip) {
    if (skip != 0) {
        return;
    }
    for (double& x : elements_) {
        const double argument = -slope * x;
        x = 1.0 / (std::exp(argument) + 1.0) + offset;
    }
}
