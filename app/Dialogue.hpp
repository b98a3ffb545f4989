#pragma once

#include <cstdint>
#include <iosfwd>

// Exit statuses of a run.
namespace exit_status {
constexpr int limitMet = 0;      // every number was read and training met its error limit
constexpr int limitNotMet = 1;   // training stopped before meeting the limit
constexpr int unreadNumber = 2;  // a number could not be read
constexpr int fatalError = 3;    // the run could not go on (memory ran out)
}  // namespace exit_status

// One whole run of the program: reads the input vector, builds the network, trains it
// against the target read from `in`, and tears it down. Diagnostics go to `err`.
// Returns the exit status.
int runDialogue(std::istream& in, std::ostream& out, std::ostream& err, std::int32_t stepLimit);
int runDialogue(std::istream& in, std::ostream& out, std::ostream& err);

// runDialogue, with a failure that escapes it (memory exhaustion) reported on `err` as
// one line and the status exit_status::fatalError.
int runProgram(std::istream& in, std::ostream& out, std::ostream& err);
