#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// A vector's element as the program prints it, the C library's "%4.3f " format: fixed
// notation with three decimals and a space after; "nan" and "inf", with their signs, are
// padded to the width of four.
struct ElementText {
    // The longest text: a sign, 309 digits, the point, three decimals and the space.
    static constexpr std::size_t longest = 315;

    // Writes the element's text, its space included, into `text`, which has room for
    // `longest` + 1 characters, and returns its length.
    static std::size_t write(double element, char* text);

    // The value of an element's text without its space: the double that the C library
    // reads from it. Nothing when "%4.3f" could not have written the text.
    static std::optional<double> read(std::string_view text);

    // The element as a reader of its text sees it: rounded to three decimals.
    static double asPrinted(double element);
};
