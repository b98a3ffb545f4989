// neuronet-plot: draws one transcript of neuronet as an SVG picture.

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <string_view>

#include "console/ConsoleBuffer.hpp"
#include "plot/Picture.hpp"
#include "transcript/ExitStatus.hpp"
#include "transcript/Quoted.hpp"
#include "transcript/TranscriptReader.hpp"

namespace {

// Its own statuses; the others mean what they mean for neuronet.
constexpr int drawn = 0;
constexpr int unusableTranscript = 1;

constexpr const char* usage = "Usage: neuronet-plot [--help | --version] [--] [TRANSCRIPT]\n";
constexpr const char* help =
    "Draws one whole transcript of neuronet, read from TRANSCRIPT or from standard input,\n"
    "as one SVG picture on standard output: the network with its initial weights, the\n"
    "error at every step on a logarithmic scale, and every output with its target.\n"
    "\n"
    "  echo \"0.1 0.1 0.1 -0.147 -0.147 -0.147\" | neuronet | neuronet-plot > run.svg\n"
    "\n"
    "Exit status: 0 the picture was written; 1 the input is not a whole transcript;\n"
    "3 memory ran out, or the input could not be read or the picture written;\n"
    "64 the command line was wrong.\n"
    "\n"
    "Full documentation: man neuronet-plot\n";

// The output and the chunk of input being read, in static storage: at hand however
// little memory is left.
ConsoleBuffer standardOutput(STDOUT_FILENO, "standard output");
std::array<char, 64 * 1024> chunk;

// Memory has run out. Throwing needs memory too, so the run ends here, with the one line
// that says why. What is buffered of the picture stays unwritten.
[[noreturn]] void outOfMemory() {
    constexpr char message[] = "neuronet-plot: out of memory\n";
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, message, sizeof message - 1);
    std::_Exit(ExitStatus::fatalError);
}

// Feeds the reader the whole input; a line too long ends the reading.
void readAll(std::streambuf& input, TranscriptReader& reader) {
    for (std::streamsize got; (got = input.sgetn(chunk.data(), chunk.size())) > 0;) {
        reader.feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    }
    reader.finish();
}

// Draws the transcript in the file at `path`, or on standard input.
int draw(const char* path, std::ostream& out) {
    const bool fromFile = path != nullptr && std::string_view(path) != "-";
    static const std::string name = fromFile ? quoted(path) : "standard input";
    const int descriptor = fromFile ? ::open(path, O_RDONLY) : STDIN_FILENO;
    if (descriptor < 0) {
        const int error = errno;
        std::cerr << "neuronet-plot: cannot open " << name << ": " << std::strerror(error) << '\n';
        return ExitStatus::fatalError;
    }
    static ConsoleBuffer input(descriptor, name.c_str());
    TranscriptReader reader;
    readAll(input, reader);
    Picture(reader.run()).write(out);
    out.flush();
    return drawn;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::set_new_handler(outOfMemory);
    std::ostream out(&standardOutput);
    try {
        // A write that fails throws, so that the run ends where it failed.
        out.exceptions(std::ios::badbit);
        const char* path = nullptr;
        bool options = true;
        for (int k = 1; k < argc; ++k) {
            const std::string_view argument = argv[k];
            if (options && argument == "--") {
                options = false;
            } else if (options && (argument == "--help" || argument == "--version")) {
                out << (argument == "--help" ? usage : "neuronet-plot 1.0\n")
                    << (argument == "--help" ? help : "");
                out.flush();
                return drawn;
            } else if (path != nullptr ||
                       (options && argument.starts_with('-') && argument != "-")) {
                std::cerr << "neuronet-plot: "
                          << (path != nullptr ? "more than one transcript: " : "unknown option ")
                          << quoted(argument) << '\n'
                          << usage;
                return ExitStatus::usage;
            } else {
                path = argv[k];
            }
        }
        return draw(path, out);
    } catch (const TranscriptReader::Unusable& unusable) {
        std::cerr << "neuronet-plot: " << unusable.what() << '\n';
        return unusableTranscript;
    } catch (const std::exception& failure) {
        std::cerr << "neuronet-plot: " << failure.what() << '\n';
        return ExitStatus::fatalError;
    }
}
