#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

// The value of option `name` when the argument at `k` is that option, given as NAME=VALUE or
// as NAME VALUE (then `k` moves on to the value); nothing when it is another argument.
// Throws UsageError when NAME is the last argument.
std::optional<std::string_view> optionValue(std::span<const char* const> arguments, std::size_t& k,
                                            std::string_view name);
