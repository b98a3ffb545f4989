// neuronet-plot: draws one transcript of neuronet as an SVG picture, or the run as it stood at
// one step, from the transcript and the run's trace.

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cli/OptionValue.hpp"
#include "cli/TakeArguments.hpp"
#include "cli/Tool.hpp"
#include "cli/UsageError.hpp"
#include "console/ConsoleBuffer.hpp"
#include "plot/Picture.hpp"
#include "plot/TracedStep.hpp"
#include "trace/TraceLines.hpp"
#include "transcript/Quoted.hpp"
#include "transcript/TranscriptReader.hpp"

namespace {

// Its own statuses; the others mean what they mean for neuronet.
constexpr int drawn = 0;
constexpr int unusableInput = 1;

constexpr const char* usage =
    "Usage: neuronet-plot [--help | --version] [--trace FILE --step K] [--] [TRANSCRIPT]\n";
constexpr const char* help =
    "Draws one whole transcript of neuronet, read from TRANSCRIPT or from standard input,\n"
    "as one SVG picture on standard output: the network with its initial weights, the\n"
    "error at every step on a logarithmic scale, and every output with its target.\n"
    "\n"
    "Given --trace and --step, which come together, it draws the run as it stood at step K\n"
    "instead: it reads the transcript only as far as that step, and takes the target and\n"
    "the network's weights after the step from the run's trace, each connection as wide\n"
    "as its weight is large and coloured by how the step changed it.\n"
    "\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "  --trace FILE  the run's trace, as neuronet --trace FILE writes it\n"
    "  --step K      the step to draw, a whole number from 1\n"
    "\n"
    "  echo \"0.1 0.1 0.1 -0.147 -0.147 -0.147\" | neuronet | neuronet-plot > run.svg\n"
    "  neuronet --trace t.jsonl < answers > run.txt\n"
    "  neuronet-plot --trace t.jsonl --step 2718 run.txt > step.svg\n"
    "\n"
    "Exit status: 0 the picture was written; 1 the input is not a whole transcript (or\n"
    "not one as far as step K), or the trace has no step K of the transcript's network;\n"
    "3 memory ran out, or the input or the trace could not be read, or the picture\n"
    "written; 64 the command line was wrong.\n"
    "\n"
    "Full documentation: man neuronet-plot\n";

// The output and the chunk of input being read, in static storage: at hand however
// little memory is left.
ConsoleBuffer standardOutput(STDOUT_FILENO, "standard output");
std::array<char, 64 * 1024> chunk;

struct Arguments {
    const char* transcript = nullptr;
    std::optional<std::string> trace;
    std::optional<std::int64_t> step;
    // "--help" or "--version", when one came before any mistake.
    std::string_view request;
};

// A whole number from 1, the whole of the text.
std::int64_t stepNumber(std::string_view text) {
    std::int64_t step = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), step);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || step < 1) {
        throw UsageError{"option --step takes a whole number from 1, not " + quoted(text)};
    }
    return step;
}

Arguments parse(std::span<const char* const> argv) {
    Arguments arguments;
    const auto option = [&](std::size_t& k) {
        if (const auto trace = optionValue(argv, k, "--trace")) {
            arguments.trace = std::string(*trace);
        } else if (const auto step = optionValue(argv, k, "--step")) {
            arguments.step = stepNumber(*step);
        } else {
            return false;
        }
        return true;
    };
    const auto operand = [&](const char* transcript) {
        if (arguments.transcript != nullptr) {
            throw UsageError{"more than one transcript: " + quoted(transcript)};
        }
        arguments.transcript = transcript;
    };
    arguments.request = takeArguments(argv, option, operand);
    if (arguments.request.empty() && arguments.trace.has_value() != arguments.step.has_value()) {
        throw UsageError{arguments.step ? "option --step needs --trace"
                                        : "option --trace needs --step"};
    }
    return arguments;
}

int opened(const char* path, const std::string& name) {
    const int descriptor = ::open(path, O_RDONLY);
    if (descriptor < 0) {
        const int error = errno;
        throw std::runtime_error("cannot open " + name + ": " + std::strerror(error));
    }
    return descriptor;
}

// Feeds the reader the whole input; a line too long ends the reading.
void readAll(std::streambuf& input, TranscriptReader& reader) {
    for (std::streamsize got; (got = input.sgetn(chunk.data(), chunk.size())) > 0;) {
        reader.feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    }
    reader.finish();
}

// Draws the transcript in the file named, or on standard input; with a trace, as it stood at
// the step asked for.
int draw(const Arguments& arguments, std::ostream& out) {
    const char* path = arguments.transcript;
    const bool fromFile = path != nullptr && std::string_view(path) != "-";
    static const std::string name = fromFile ? quoted(path) : "standard input";
    static ConsoleBuffer input(fromFile ? opened(path, name) : STDIN_FILENO, name.c_str());
    std::unique_ptr<ConsoleBuffer> trace;
    const std::string traceName = arguments.trace ? ::quoted(*arguments.trace) : "";
    if (arguments.trace) {
        trace = std::make_unique<ConsoleBuffer>(opened(arguments.trace->c_str(), traceName),
                                                traceName.c_str());
    }
    TranscriptReader reader;
    if (arguments.step) {
        reader.untilStep(*arguments.step);
    }
    readAll(input, reader);
    if (!trace) {
        Picture(reader.run()).write(out);
    } else {
        TraceLines lines(*trace, traceName);
        const TracedStep step(lines, reader.run().layerSizes, *arguments.step);
        if (!step.target().empty()) {
            reader.setTarget(step.target());
        }
        Picture(reader.run(), &step.view()).write(out);
    }
    out.flush();
    return drawn;
}

}  // namespace

int main(int argc, char* argv[]) {
    const Tool tool("neuronet-plot", usage);
    std::ostream out(&standardOutput);
    return tool.run<TranscriptReader::Unusable, TraceLines::Unusable>(
        [&] {
            // A write that fails throws, so that the run ends where it failed.
            out.exceptions(std::ios::badbit);
            const Arguments arguments = parse(std::span<const char* const>(argv + 1, argv + argc));
            if (!arguments.request.empty()) {
                out << (arguments.request == "--help" ? usage : "neuronet-plot 1.0\n")
                    << (arguments.request == "--help" ? help : "");
                out.flush();
                return drawn;
            }
            return draw(arguments, out);
        },
        unusableInput);
}
