// neuronet-compare: compares a trace of someone's own back-propagation with neuronet's trace
// of the same run, and reports where the two computations first part.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/OptionValue.hpp"
#include "cli/TakeArguments.hpp"
#include "cli/Tool.hpp"
#include "cli/UsageError.hpp"
#include "compare/Report.hpp"
#include "compare/TraceComparison.hpp"
#include "console/ConsoleBuffer.hpp"
#include "trace/TraceLines.hpp"
#include "transcript/Quoted.hpp"

namespace {

// Its own statuses; the others mean what they mean for neuronet.
constexpr int same = 0;
constexpr int different = 1;
constexpr int unusableInput = 2;

constexpr const char* usage =
    "Usage: neuronet-compare [--ulps N] [--relative R] [--json] [--] REFERENCE MINE\n";
constexpr const char* help =
    "Compares MINE, a trace written by your own implementation of neuronet's arithmetic, with\n"
    "REFERENCE, neuronet's trace of the same run (neuronet --trace), and reports the first\n"
    "number where they part: its step, its place in the line, both values, how far apart\n"
    "they lie, and the mistake that gives MINE's number from the reference's own numbers, or\n"
    "else which of its inputs agree. Only what MINE holds is compared; a MINE of fewer steps\n"
    "is compared as far as it goes.\n"
    "\n"
    "  --ulps N      numbers at most N doubles apart agree\n"
    "  --relative R  numbers whose difference is at most R times the larger agree\n"
    "  --json        write the verdict as one JSON object (see the manual)\n"
    "\n"
    "Exit status: 0 the traces agree; 1 they differ; 2 a trace cannot be read or compared;\n"
    "3 memory ran out, or the report could not be written; 64 the command line was wrong.\n"
    "\n"
    "Full documentation: man neuronet-compare\n";

ConsoleBuffer standardOutput(STDOUT_FILENO, "standard output");

struct Arguments {
    LineComparison::Tolerance tolerance;
    std::vector<std::string> traces;
    bool json = false;
    // "--help" or "--version", when one came before any mistake.
    std::string_view request;
};

// A finite number from 0 up, the whole of the text.
double nonNegative(std::string_view option, std::string_view text) {
    const std::string terminated(text);
    char* end = nullptr;
    const double value = std::strtod(terminated.c_str(), &end);
    if (text.empty() || end != terminated.c_str() + terminated.size() || !(value >= 0) ||
        !std::isfinite(value)) {
        throw UsageError{"option " + std::string(option) + " takes a number from 0 up, not " +
                         quoted(text)};
    }
    return value;
}

Arguments parse(std::span<const char* const> argv) {
    Arguments arguments;
    const auto option = [&](std::size_t& k) {
        if (argv[k] == std::string_view("--json")) {
            arguments.json = true;
        } else if (const auto ulps = optionValue(argv, k, "--ulps")) {
            const double count = nonNegative("--ulps", *ulps);
            if (count != std::floor(count) || count >= 0x1p64) {
                throw UsageError{"option --ulps takes a whole number, not " + quoted(*ulps)};
            }
            arguments.tolerance.ulps = static_cast<std::uint64_t>(count);
        } else if (const auto relative = optionValue(argv, k, "--relative")) {
            arguments.tolerance.relative = nonNegative("--relative", *relative);
        } else {
            return false;
        }
        return true;
    };
    arguments.request = takeArguments(
        argv, option, [&](const char* trace) { arguments.traces.emplace_back(trace); });
    if (arguments.request.empty() && arguments.traces.size() != 2) {
        throw UsageError{"expected two traces, REFERENCE and MINE, found " +
                         std::to_string(arguments.traces.size())};
    }
    return arguments;
}

// A trace's file opened for reading, or standard input for "-".
std::unique_ptr<ConsoleBuffer> opened(const std::string& path, const std::string& name) {
    const int descriptor = path == "-" ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        const int error = errno;
        throw TraceLines::Unusable("cannot open " + name + ": " + std::strerror(error));
    }
    return std::make_unique<ConsoleBuffer>(descriptor, name.c_str());
}

int compare(const Arguments& arguments, std::ostream& out) {
    const std::string referenceName = ::quoted(arguments.traces[0]);
    const std::string mineName = ::quoted(arguments.traces[1]);
    TraceComparison::Verdict verdict;
    try {
        const auto referenceFile = opened(arguments.traces[0], referenceName);
        const auto mineFile = opened(arguments.traces[1], mineName);
        TraceLines reference(*referenceFile, referenceName);
        TraceLines mine(*mineFile, mineName);
        try {
            verdict = TraceComparison(reference, mine, arguments.tolerance).run();
        } catch (const ConsoleBuffer::Failure& failure) {
            throw TraceLines::Unusable(failure.what());  // a trace that cannot be read
        }
    } catch (const TraceLines::Unusable& unusable) {
        if (arguments.json) {
            Report::unusable(out, unusable.what());
            out.flush();
        }
        throw;
    }
    (arguments.json ? Report::json : Report::text)(out, verdict);
    out.flush();
    return verdict.difference ? different : same;
}

}  // namespace

int main(int argc, char* argv[]) {
    const Tool tool("neuronet-compare", usage);
    std::ostream out(&standardOutput);
    return tool.run<TraceLines::Unusable>(
        [&] {
            out.exceptions(std::ios::badbit);
            const Arguments arguments = parse(std::span<const char* const>(argv + 1, argv + argc));
            if (!arguments.request.empty()) {
                out << (arguments.request == "--help" ? std::string(usage) + help
                                                      : "neuronet-compare 1.0\n");
                out.flush();
                return same;
            }
            return compare(arguments, out);
        },
        unusableInput);
}
