#pragma once

#include <string>
#include <string_view>

// The text as it can safely stand in one line of a terminal: quoted, control and
// non-ASCII bytes escaped, and cut after 40 characters.
std::string quoted(std::string_view text);
