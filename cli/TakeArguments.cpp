#include "cli/TakeArguments.hpp"

#include <string>

#include "cli/UsageError.hpp"
#include "transcript/Quoted.hpp"

std::string_view takeArguments(std::span<const char* const> arguments,
                               const std::function<bool(std::size_t&)>& option,
                               const std::function<void(const char*)>& operand) {
    bool options = true;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string_view argument = arguments[k];
        if (!options || argument == "-" || !argument.starts_with('-')) {
            operand(arguments[k]);
        } else if (argument == "--") {
            options = false;
        } else if (argument == "--help" || argument == "--version") {
            return argument;
        } else if (!option(k)) {
            throw UsageError{"unknown option " + quoted(argument)};
        }
    }
    return {};
}
