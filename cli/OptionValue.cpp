#include "cli/OptionValue.hpp"

#include <string>

#include "cli/UsageError.hpp"

std::optional<std::string_view> optionValue(std::span<const char* const> arguments, std::size_t& k,
                                            std::string_view name) {
    const std::string_view argument = arguments[k];
    if (argument.starts_with(name) && argument.size() > name.size() &&
        argument[name.size()] == '=') {
        return argument.substr(name.size() + 1);
    }
    if (argument != name) {
        return std::nullopt;
    }
    if (k + 1 == arguments.size()) {
        throw UsageError{"option " + std::string(name) + " needs a value"};
    }
    return arguments[++k];
}
