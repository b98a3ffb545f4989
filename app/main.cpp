#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iostream>
#include <new>
#include <span>

#include "app/CommandLine.hpp"
#include "app/Dialogue.hpp"
#include "console/ConsoleBuffer.hpp"
#include "transcript/Contract.hpp"
#include "transcript/ExitStatus.hpp"

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

}  // namespace

int main(int argc, char* argv[]) {
    std::set_new_handler(outOfMemory);
    std::istream in(&standardInput);
    std::ostream out(&standardOutput);
    const CommandLine command(std::span<const char* const>(argv + 1, argv + argc));
    return runProgram(command, in, out, std::cerr);
}
