#include "app/CommandLine.hpp"

#include <iomanip>
#include <ostream>
#include <string_view>

#include "transcript/Contract.hpp"
#include "transcript/ExitStatus.hpp"
#include "transcript/Quoted.hpp"

namespace {

constexpr const char* usageLine = "Usage: neuronet [--help | --version] < numbers\n";

constexpr const char* help =
    "Builds a small feed-forward neural network with random layer sizes and weights and\n"
    "trains it by back-propagation towards a target vector.\n"
    "\n"
    "Reads the three numbers of the input vector, then the numbers of the target vector,\n"
    "from standard input, each after its prompt; writes the dialogue to standard output\n"
    "and diagnostics to standard error.\n"
    "\n"
    "Options:\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status:\n";

constexpr const char* helpEnd = "\nFull documentation: man neuronet\n";

}  // namespace

// The first argument that is neither option decides; so does, when every one is an
// option, the first of them.
CommandLine::CommandLine(std::span<const char* const> arguments) {
    for (const std::string_view argument : arguments) {
        if (argument != "--help" && argument != "--version") {
            request_ = Request::misuse;
            misused_ = argument;
            return;
        }
    }
    if (!arguments.empty()) {
        request_ =
            std::string_view(arguments.front()) == "--help" ? Request::help : Request::version;
    }
}

int CommandLine::answer(std::ostream& out, std::ostream& err) const {
    switch (request_) {
        case Request::help:
            out << usageLine << help;
            for (const auto& [status, words] : ExitStatus::meanings()) {
                out << std::setw(4) << status << "  " << words << '\n';
            }
            out << helpEnd;
            break;
        case Request::version:
            out << "neuronet 1.0\n";
            break;
        case Request::misuse:
            err << Contract::diagnosticStart
                << (misused_.starts_with('-') ? "unknown option " : "unexpected operand ")
                << quoted(misused_) << '\n'
                << usageLine;
            return ExitStatus::usage;
        case Request::dialogue:
            break;
    }
    out.flush();
    return ExitStatus::limitMet;
}
