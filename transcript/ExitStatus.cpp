#include "transcript/ExitStatus.hpp"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<ExitStatus::Meaning, 5> table = {{
    {ExitStatus::limitMet, "every number was read and training met its error limit"},
    {ExitStatus::limitNotMet, "training stopped before meeting the limit"},
    {ExitStatus::unreadNumber, "a number could not be read"},
    {ExitStatus::fatalError,
     "memory ran out, or standard input, standard output or the trace failed"},
    {ExitStatus::usage, "the command line was wrong"},
}};

}  // namespace

std::span<const ExitStatus::Meaning> ExitStatus::meanings() {
    return table;
}

std::string_view ExitStatus::words(int status) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [status](const Meaning& m) { return m.status == status; });
    return found == table.end() ? std::string_view() : found->words;
}
