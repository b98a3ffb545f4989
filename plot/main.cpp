// neuronet-plot: draws one transcript of neuronet as an SVG picture.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "console/ConsoleBuffer.hpp"
#include "plot/Picture.hpp"
#include "plot/TranscriptReader.hpp"

namespace {

constexpr int drawn = 0;
constexpr int unusableTranscript = 1;
constexpr int ioFailure = 3;
constexpr int usageError = 64;

constexpr const char* usage = "Usage: neuronet-plot [--help | --version] [TRANSCRIPT]\n";
constexpr const char* help =
    "Draws one whole transcript of neuronet, read from TRANSCRIPT or from standard input,\n"
    "as one SVG picture on standard output: the network with its initial weights, the\n"
    "error at every step on a logarithmic scale, and every output with its target.\n"
    "\n"
    "  echo \"0.1 0.1 0.1 -0.147 -0.147 -0.147\" | neuronet | neuronet-plot > run.svg\n"
    "\n"
    "Exit status: 0 the picture was written; 1 the input is not a whole transcript;\n"
    "3 the input could not be read or the picture written; 64 the command line was wrong.\n"
    "\n"
    "Full documentation: man neuronet-plot\n";

int draw(std::istream& in, std::ostream& out) {
    std::ostringstream picture;
    Picture(TranscriptReader(in).read()).write(picture);
    out << picture.str();
    out.flush();
    return drawn;
}

}  // namespace

int main(int argc, char* argv[]) {
    const char* path = nullptr;
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (argument == "--help" || argument == "--version") {
            std::cout << (argument == "--help" ? std::string(usage) + help : "neuronet-plot 1.0\n");
            return std::cout.flush() ? drawn : ioFailure;
        }
        if ((argument.starts_with('-') && argument != "-") || path) {
            std::cerr << "neuronet-plot: "
                      << (path ? "more than one transcript: " : "unknown option: ") << argument
                      << '\n'
                      << usage;
            return usageError;
        }
        path = argv[k];
    }
    const bool fromFile = path != nullptr && std::string_view(path) != "-";
    const int descriptor = fromFile ? ::open(path, O_RDONLY) : STDIN_FILENO;
    if (descriptor < 0) {
        std::cerr << "neuronet-plot: cannot open " << path << ": " << std::strerror(errno) << '\n';
        return ioFailure;
    }
    static ConsoleBuffer input(descriptor, fromFile ? path : "standard input");
    static ConsoleBuffer output(STDOUT_FILENO, "standard output");
    std::istream in(&input);
    std::ostream out(&output);
    out.exceptions(std::ios::badbit);
    try {
        return draw(in, out);
    } catch (const TranscriptReader::Unusable& unusable) {
        std::cerr << "neuronet-plot: " << unusable.what() << '\n';
        return unusableTranscript;
    } catch (const std::exception& failure) {
        std::cerr << "neuronet-plot: " << failure.what() << '\n';
        return ioFailure;
    }
}
