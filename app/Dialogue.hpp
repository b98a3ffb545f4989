#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>

#include "net/NeuroNet.hpp"
#include "transcript/Contract.hpp"

class CommandLine;
class TraceRecorder;

// Every field has a default, so that a caller names only those it sets (clang and g++ warn of
// a field left out of a designated initializer unless it has one).
struct DialogueOptions {
    std::int32_t stepLimit = Contract::stepLimit;
    // Given to std::srand before the run, if any: without it the generator goes on from where
    // it stands, which for a fresh program is as if seeded with 1.
    std::optional<std::uint32_t> seed = {};
    // Shown the target as soon as it has been read, before training begins; an element
    // that could not be read is 0.
    std::function<void(const Vector&)> targetRead = {};
    // Shown the network once it is built, before training begins.
    std::function<void(NeuroNet&)> built = {};
    // Shown the network once training has ended, before it is torn down.
    std::function<void(const NeuroNet&)> trained = {};
    // Where the run is traced, if anywhere.
    TraceRecorder* trace = nullptr;
};

// One whole run of the program: reads the input vector, builds the network, trains it
// against the target read from `in`, and tears it down. Diagnostics go to `err`.
// Returns the exit status (ExitStatus).
int runDialogue(std::istream& in, std::ostream& out, std::ostream& err,
                const DialogueOptions& options = {});

// What the command line asks for: the dialogue, or its answer to an option or a misuse.
// A write to `out` that fails ends the run at once. Such a failure, a failed read and
// memory exhaustion are reported on `err` as one line, with the status
// ExitStatus::fatalError. `options` shape the dialogue.
int runProgram(const CommandLine& command, std::istream& in, std::ostream& out, std::ostream& err,
               const DialogueOptions& options = {});
