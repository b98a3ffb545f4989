#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <span>
#include <string>

#include "app/CommandLine.hpp"
#include "app/Dialogue.hpp"
#include "app/TraceRecorder.hpp"
#include "console/ConsoleBuffer.hpp"
#include "transcript/Contract.hpp"
#include "transcript/ExitStatus.hpp"
#include "transcript/Quoted.hpp"

namespace {

// The console in static storage, at hand however little memory is left.
ConsoleBuffer standardInput(STDIN_FILENO, "standard input");
ConsoleBuffer standardOutput(STDOUT_FILENO, "standard output");

// Memory has run out. Throwing needs memory too, so the run ends here: what was written
// goes out, then the one line that says why.
void outOfMemory() {
    standardOutput.drain();
    constexpr auto line = [] {
        std::array<char, Contract::diagnosticStart.size() + Contract::outOfMemory.size() + 1>
            text{};
        auto end = std::copy(Contract::diagnosticStart.begin(), Contract::diagnosticStart.end(),
                             text.begin());
        end = std::copy(Contract::outOfMemory.begin(), Contract::outOfMemory.end(), end);
        *end = '\n';
        return text;
    }();
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
    std::_Exit(ExitStatus::fatalError);
}

// The dialogue, traced into the file the command line names: a file that cannot be opened
// is the command line's fault, said before anything is read. A trace that cannot be
// written is said once the dialogue, which it never cuts, is over.
int runTraced(const CommandLine& command, std::istream& in, std::ostream& out) {
    const std::string& path = *command.tracePath();
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        const int error = errno;
        std::cerr << Contract::diagnosticStart << "cannot open " << quoted(path)
                  << " for the trace: " << std::strerror(error) << std::endl;
        return ExitStatus::usage;
    }
    static const std::string name = quoted(path);
    static ConsoleBuffer buffer(descriptor, name.c_str(), true);
    std::ostream trace(&buffer);
    trace.exceptions(std::ios::badbit);
    TraceRecorder recorder(trace, command.traceSteps());
    return runProgram(
        command, in, out, std::cerr,
        {.stepLimit = command.stepLimit(), .seed = command.seed(), .trace = &recorder});
}

}  // namespace

int main(int argc, char* argv[]) {
    std::set_new_handler(outOfMemory);
    std::istream in(&standardInput);
    std::ostream out(&standardOutput);
    const CommandLine command(std::span<const char* const>(argv + 1, argv + argc));
    if (command.runsDialogue() && command.tracePath()) {
        return runTraced(command, in, out);
    }
    return runProgram(command, in, out, std::cerr,
                      {.stepLimit = command.stepLimit(), .seed = command.seed()});
}
