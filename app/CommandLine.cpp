#include "app/CommandLine.hpp"

#include <charconv>
#include <cstdint>
#include <iomanip>
#include <ostream>
#include <string_view>

#include "cli/OptionValue.hpp"
#include "cli/UsageError.hpp"
#include "transcript/Contract.hpp"
#include "transcript/ExitStatus.hpp"
#include "transcript/Quoted.hpp"

namespace {

constexpr const char* usageLine =
    "Usage: neuronet [--help | --version] [--seed S] [--step-limit N] [--trace FILE "
    "[--trace-steps LIST]] < numbers\n";

constexpr const char* help =
    "Builds a small feed-forward neural network with random layer sizes and weights and\n"
    "trains it by back-propagation towards a target vector.\n"
    "\n"
    "Reads the three numbers of the input vector, then the numbers of the target vector,\n"
    "from standard input, each after its prompt; writes the dialogue to standard output\n"
    "and diagnostics to standard error.\n"
    "\n"
    "Options:\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n"
    "  --seed S            seed the C library's rand with S (0 to 4294967295) before the\n"
    "                      run, for another network; without it, rand is never seeded\n"
    "  --step-limit N      train at most N steps, from 1 to 10000000 (the default)\n"
    "  --trace FILE        write every number of every step, exactly, to FILE as JSON Lines\n"
    "  --trace-steps LIST  trace only these steps, and the last: N, A-B or every:K, joined\n"
    "                      by commas (1-100,every:1000)\n"
    "\n"
    "Exit status:\n";

constexpr const char* helpEnd =
    "\nFull documentation: man neuronet; the arithmetic: "
    "/usr/share/doc/neuronet/arithmetic.md\n";

constexpr std::string_view traceOption = "--trace";
constexpr std::string_view stepsOption = "--trace-steps";
constexpr std::string_view seedOption = "--seed";
constexpr std::string_view stepLimitOption = "--step-limit";

// A whole number from `low` to `high`, in decimal digits alone, or a usage error saying so.
std::uint64_t wholeNumber(std::string_view option, std::string_view text, std::uint64_t low,
                          std::uint64_t high) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        throw UsageError{"option " + std::string(option) + " takes a whole number from " +
                         std::to_string(low) + " to " + std::to_string(high) + ", not " +
                         quoted(text)};
    }
    return value;
}

}  // namespace

void CommandLine::misuse(std::string why) {
    request_ = Request::misuse;
    misused_ = std::move(why);
}

// The arguments in order: the first mistake, or --help or --version, decides.
CommandLine::CommandLine(std::span<const char* const> arguments) {
    bool stepsGiven = false;
    for (std::size_t k = 0; k < arguments.size() && request_ == Request::dialogue; ++k) {
        try {
            stepsGiven |= take(arguments, k);
        } catch (const UsageError& error) {
            misuse(error.why);
        }
    }
    if (request_ == Request::dialogue && stepsGiven && !tracePath_) {
        misuse("option " + std::string(stepsOption) + " needs " + std::string(traceOption));
    }
}

bool CommandLine::take(std::span<const char* const> arguments, std::size_t& k) {
    const std::string_view argument = arguments[k];
    if (argument == "--help" || argument == "--version") {
        request_ = argument == "--help" ? Request::help : Request::version;
    } else if (const auto path = optionValue(arguments, k, traceOption)) {
        tracePath_ = std::string(*path);
    } else if (const auto seed = optionValue(arguments, k, seedOption)) {
        seed_ = static_cast<std::uint32_t>(wholeNumber(seedOption, *seed, 0, UINT32_MAX));
    } else if (const auto limit = optionValue(arguments, k, stepLimitOption)) {
        stepLimit_ =
            static_cast<std::int32_t>(wholeNumber(stepLimitOption, *limit, 1, Contract::stepLimit));
    } else if (const auto list = optionValue(arguments, k, stepsOption)) {
        const auto steps = TraceSteps::parse(*list);
        if (!steps) {
            misuse("option " + std::string(stepsOption) +
                   " takes steps such as 1-100,every:1000,7, not " + ::quoted(*list));
        } else {
            traceSteps_ = *steps;
        }
        return true;
    } else {
        misuse((argument.starts_with('-') ? "unknown option " : "unexpected operand ") +
               quoted(argument));
    }
    return false;
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
            err << Contract::diagnosticStart << misused_ << '\n' << usageLine;
            return ExitStatus::usage;
        case Request::dialogue:
            break;
    }
    out.flush();
    return ExitStatus::limitMet;
}
