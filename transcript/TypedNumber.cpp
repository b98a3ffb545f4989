#include "transcript/TypedNumber.hpp"

#include <cmath>
#include <cstdlib>
#include <istream>

#include "transcript/Contract.hpp"

namespace {

// White space as the "C" locale's number extraction skips it.
bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

// The longest word bounds what reading needs, whatever the input holds: a longer one is
// unreadable, whatever it spells.
std::string TypedNumber::nextWord(std::istream& in) {
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
    while (!Traits::eq_int_type(c, Traits::eof()) && !isSpace(c) &&
           word.size() <= Contract::longestWord) {
        word.push_back(Traits::to_char_type(c));
        c = buffer->snextc();
    }
    if (Traits::eq_int_type(c, Traits::eof())) {
        in.setstate(std::ios::eofbit);
    }
    return word;
}

// The stream's extraction hands such text to strtod in the "C" locale, the only locale
// this program runs in, and so does this, but without the allocation of a string stream.
std::optional<double> TypedNumber::read(const std::string& word) {
    const std::size_t start = word.starts_with('+') || word.starts_with('-') ? 1 : 0;
    if (word.size() > Contract::longestWord ||
        word.find_first_not_of("0123456789.eE+-") != word.npos ||
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
