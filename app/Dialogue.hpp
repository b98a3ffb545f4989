#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "net/NeuroNet.hpp"

// Exit statuses of a run.
namespace exit_status {
constexpr int limitMet = 0;      // every number was read and training met its error limit
constexpr int limitNotMet = 1;   // training stopped before meeting the limit
constexpr int unreadNumber = 2;  // a number could not be read
constexpr int fatalError = 3;    // the run could not go on (memory ran out)
}  // namespace exit_status

struct DialogueOptions {
    std::int32_t stepLimit = NeuroNet::defaultStepLimit;
    // Shown the network once training has ended, before it is torn down.
    std::function<void(const NeuroNet&)> trained;
};

// One whole run of the program: reads the input vector, builds the network, trains it
// against the target read from `in`, and tears it down. Diagnostics go to `err`.
// Returns the exit status.
int runDialogue(std::istream& in, std::ostream& out, std::ostream& err,
                const DialogueOptions& options = {});

// The text as it can safely stand in one line of a terminal: quoted, control and
// non-ASCII bytes escaped, and cut after 40 characters.
std::string quoted(const std::string& text);

// runDialogue, with a failure that escapes it (memory exhaustion) reported on `err` as
// one line and the status exit_status::fatalError.
int runProgram(std::istream& in, std::ostream& out, std::ostream& err);
