#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

// Takes a command line's arguments in order, as neuronet-plot and neuronet-compare take them:
// "-", what does not begin with '-', and every argument after "--" go to `operand`; every
// other goes to `option` with its index, which it moves on past the option's value, and which
// says whether the option is one of the program's. The first of --help and --version ends
// the reading and is returned, else nothing. Throws UsageError at the first mistake.
std::string_view takeArguments(std::span<const char* const> arguments,
                               const std::function<bool(std::size_t&)>& option,
                               const std::function<void(const char*)>& operand);
