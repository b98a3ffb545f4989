#include "linalg/Vector.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "linalg/Matrix.hpp"

namespace {

// White space as the "C" locale's number extraction skips it.
bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The longest word read: a longer one is unreadable, whatever it spells, so that reading
// needs the same memory however long a word the input holds.
constexpr std::size_t longestWord = 64 * 1024;

// Takes the next word (a run of characters up to white space) from the stream, but no
// more than one character beyond the longest word: nothing is read after an unreadable
// word, so the rest of a longer one may stay unread. An empty word means the input has
// ended.
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
    while (!Traits::eq_int_type(c, Traits::eof()) && !isSpace(c) && word.size() <= longestWord) {
        word.push_back(Traits::to_char_type(c));
        c = buffer->snextc();
    }
    if (Traits::eq_int_type(c, Traits::eof())) {
        in.setstate(std::ios::eofbit);
    }
    return word;
}

// The word's value when the whole word is one number, read exactly as the stream's own
// extraction of a double reads it: an optional sign, digits with an optional point, an
// optional exponent; no infinity, NaN or hexadecimal. That extraction hands such text to
// strtod in the "C" locale, the only locale this program runs in, and so does this, but
// without the allocation of a string stream. A number too large for a double is no value;
// one too small is read as strtod reads it, as zero or a subnormal.
std::optional<double> wholeNumber(const std::string& word) {
    const std::size_t start = word.starts_with('+') || word.starts_with('-') ? 1 : 0;
    if (word.size() > longestWord || word.find_first_not_of("0123456789.eE+-") != word.npos ||
        word.find_first_of("0123456789.", start) != start) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size() || std::isinf(value)) {
        return std::nullopt;
    }
    return value;
}

// What "%4.3f " can make of a double: a sign, 309 digits, the point, three decimals
// and the space.
constexpr std::size_t longestElementText = 316;

// Writes a finite element with three decimals, as "%.3f" does, and returns the length: the
// exact binary value rounded to the nearest thousandth, ties to even, as the C library
// rounds it. Below 2^53 in magnitude that is integer arithmetic on the value's own bits,
// faster than the C library's general formatting; larger values, rare, are left to it.
std::size_t fixedThree(double element, char* text) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(element), &exponent);
    const int shift = 53 - exponent;  // |element| is mantissa / 2^shift
    if (shift <= 0) {
        return static_cast<std::size_t>(std::snprintf(text, longestElementText, "%.3f", element));
    }
    // mantissa < 2^53, so a thousand times it stays below 2^63.
    const auto thousandths = static_cast<std::uint64_t>(std::ldexp(fraction, 53)) * 1000;
    std::uint64_t rounded = 0;  // from 2^63 / 2^64 on, less than half a thousandth
    if (shift < 64) {
        rounded = thousandths >> shift;
        const std::uint64_t rest = thousandths - (rounded << shift);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        rounded += rest > half || (rest == half && rounded % 2 == 1) ? 1 : 0;
    }
    char* end = text;
    if (std::signbit(element)) {
        *end++ = '-';
    }
    end = std::to_chars(end, text + longestElementText, rounded / 1000).ptr;
    const auto decimals = static_cast<int>(rounded % 1000);
    *end++ = '.';
    *end++ = static_cast<char>('0' + decimals / 100);
    *end++ = static_cast<char>('0' + decimals / 10 % 10);
    *end++ = static_cast<char>('0' + decimals % 10);
    return static_cast<std::size_t>(end - text);
}

// Writes the element as the C library's "%4.3f " writes it and returns the length. A
// finite value never needs the padding to the width of 4. Infinities and NaNs are rare,
// and standard libraries spell them their own way ("-nan(ind)"), so the C library writes
// those itself.
std::size_t formatElement(double element, char* text) {
    const std::size_t length =
        std::isfinite(element)
            ? fixedThree(element, text)
            : static_cast<std::size_t>(std::snprintf(text, longestElementText, "%4.3f", element));
    text[length] = ' ';
    return length + 1;
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
    // The whole line, its end included, goes to the stream in one write (or a few, for
    // huge values); then the stream is flushed, as std::endl would.
    std::array<char, 1024> line;
    std::size_t used = 0;
    for (const double element : elements_) {
        if (line.size() - used <= longestElementText) {
            out.write(line.data(), static_cast<std::streamsize>(used));
            used = 0;
        }
        used += formatElement(element, line.data() + used);
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
        out << "Error! '-' is bad operation for Vector!\n";
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
        out << "Error '*' operation!!!\n";
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
        const double argument = -slope * x;
        x = 1.0 / (std::exp(argument) + 1.0) + offset;
    }
}
