#include "transcript/Quoted.hpp"

#include <cstdio>

std::string quoted(std::string_view text) {
    constexpr std::size_t shown = 40;
    std::string result = "\"";
    for (std::size_t i = 0; i < text.size() && i < shown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            result += '\\';
            result += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            result += escape;
        } else {
            result += static_cast<char>(c);
        }
    }
    result += text.size() > shown ? "\"..." : "\"";
    return result;
}
