#pragma once

#include <iosfwd>
#include <optional>
#include <string>

// A number as the program reads it from its input: a word, up to white space, that is one
// number in the form the stream's extraction of a double takes, an optional sign, digits
// with an optional point, an optional exponent; no infinity, NaN or hexadecimal.
struct TypedNumber {
    // Takes the next word from the stream, but no more than one character beyond the
    // longest word read: nothing is read after an unreadable word, so the rest of a longer
    // one may stay unread. An empty word means the input has ended.
    static std::string nextWord(std::istream& in);

    // The word's value when the whole word is one number; nothing otherwise, and for a
    // number too large for a double. One too small is read as zero or a subnormal.
    static std::optional<double> read(const std::string& word);
};
