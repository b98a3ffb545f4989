#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

// A double as the program's output stream writes it in its default format, the C library's
// "%g": six significant digits, trailing zeros dropped, an exponent below 0.0001 and from a
// million on. The weights, the report's limit and error, and the numbers of a stop reason
// are written so.
struct StreamedNumber {
    static void write(std::ostream& out, double value);
    static std::string text(double value);

    // The double that the C library reads from the text; nothing when the stream could not
    // have written the text: not "%g"'s form, or a NaN other than "nan" or "-nan".
    static std::optional<double> read(std::string_view text);

    // A weight as the program draws and prints it: a hundredth from 0.01 to 0.99 ("0.5",
    // "0.07"); nothing for any other text.
    static std::optional<double> readWeight(std::string_view text);
};
