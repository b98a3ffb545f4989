#include "app/Dialogue.hpp"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <string>

#include "app/CommandLine.hpp"
#include "app/TraceRecorder.hpp"
#include "linalg/Vector.hpp"
#include "net/NeuroNet.hpp"
#include "transcript/ExitStatus.hpp"
#include "transcript/Quoted.hpp"

namespace {

void reportUnread(std::ostream& out, std::ostream& err, std::string_view vector,
                  const Vector::ReadFailure& failure) {
    out.flush();  // the diagnostic follows the prompt it answers
    err << Contract::diagnosticStart << Contract::unreadStart << failure.index << Contract::unreadOf
        << vector;
    if (failure.found.empty()) {
        err << Contract::unreadEnded;
    } else {
        err << Contract::unreadFound << quoted(failure.found) << Contract::unreadNotANumber;
    }
    err << std::endl;
}

// What was written so far goes out first, if it still can; then the one line.
void reportFatal(std::ostream& out, std::ostream& err, std::string_view why) {
    out.exceptions(std::ios::goodbit);
    out.flush();
    err << Contract::diagnosticStart << why << std::endl;
}

// The trace, if any, ends saying why the run could not go on.
void traceFailure(const DialogueOptions& options, const std::string& why) {
    if (options.trace) {
        options.trace->failed(why, ExitStatus::fatalError);
    }
}

}  // namespace

int runDialogue(std::istream& in, std::ostream& out, std::ostream& err,
                const DialogueOptions& options) {
    if (options.seed) {
        std::srand(*options.seed);
    }
    Vector a(Contract::inputSize);
    const auto unreadInput = a.input(in, out);
    if (unreadInput) {
        reportUnread(out, err, Contract::inputVectorName, *unreadInput);
    }
    NeuroNet::Outcome outcome;
    {
        NeuroNet NEURO(a, out);
        NEURO.limitSteps(options.stepLimit);
        if (options.trace) {
            options.trace->watch(NEURO, options.seed);
        }
        if (options.built) {
            options.built(NEURO);
        }
        outcome = NEURO.BackPropagate(
            in, [&](const Vector& target, const std::optional<Vector::ReadFailure>& unread) {
                if (unread) {
                    reportUnread(out, err, Contract::targetVectorName, *unread);
                }
                if (options.trace) {
                    options.trace->targetRead(target, unread);
                }
                if (options.targetRead) {
                    options.targetRead(target);
                }
            });
        if (options.trained) {
            options.trained(NEURO);
        }
    }
    out.flush();
    const int status = unreadInput || outcome.unreadTarget ? ExitStatus::unreadNumber
                       : outcome.limitMet                  ? ExitStatus::limitMet
                                                           : ExitStatus::limitNotMet;
    if (!options.trace) {
        return status;
    }
    options.trace->end(outcome, status);
    if (!options.trace->failure().empty()) {
        reportFatal(out, err, options.trace->failure());
        return ExitStatus::fatalError;
    }
    return status;
}

int runProgram(const CommandLine& command, std::istream& in, std::ostream& out, std::ostream& err,
               const DialogueOptions& options) {
    try {
        // A write that fails throws, so that the run ends where it failed.
        out.exceptions(std::ios::badbit);
        const int status =
            command.runsDialogue() ? runDialogue(in, out, err, options) : command.answer(out, err);
        out.flush();
        return status;
    } catch (const std::bad_alloc&) {
        reportFatal(out, err, Contract::outOfMemory);
        traceFailure(options, std::string(Contract::outOfMemory));
    } catch (const std::exception& failure) {
        reportFatal(out, err, failure.what());
        traceFailure(options, failure.what());
    }
    return ExitStatus::fatalError;
}
