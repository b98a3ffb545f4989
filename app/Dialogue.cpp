#include "app/Dialogue.hpp"

#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <string>

#include "app/CommandLine.hpp"
#include "console/Quoted.hpp"
#include "linalg/Vector.hpp"
#include "net/NeuroNet.hpp"

namespace {

void reportUnread(std::ostream& out, std::ostream& err, const char* vector,
                  const Vector::ReadFailure& failure) {
    out.flush();  // the diagnostic follows the prompt it answers
    err << "neuronet: cannot read element [" << failure.index << "] of " << vector << ": ";
    if (failure.found.empty()) {
        err << "the input ended";
    } else {
        err << "found " << quoted(failure.found) << ", not a number";
    }
    err << std::endl;
}

// What was written so far goes out first, if it still can; then the one line.
void reportFatal(std::ostream& out, std::ostream& err, const char* why) {
    out.exceptions(std::ios::goodbit);
    out.flush();
    err << "neuronet: " << why << std::endl;
}

}  // namespace

int runDialogue(std::istream& in, std::ostream& out, std::ostream& err,
                const DialogueOptions& options) {
    Vector a(3);
    const auto unreadInput = a.input(in, out);
    if (unreadInput) {
        reportUnread(out, err, "the input vector", *unreadInput);
    }
    NeuroNet::Outcome outcome;
    {
        NeuroNet NEURO(a, out);
        NEURO.limitSteps(options.stepLimit);
        outcome = NEURO.BackPropagate(
            in, [&](const Vector& target, const std::optional<Vector::ReadFailure>& unread) {
                if (unread) {
                    reportUnread(out, err, "the target vector D", *unread);
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
    if (unreadInput || outcome.unreadTarget) {
        return exit_status::unreadNumber;
    }
    return outcome.limitMet ? exit_status::limitMet : exit_status::limitNotMet;
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
        reportFatal(out, err, "out of memory");
    } catch (const std::exception& failure) {
        reportFatal(out, err, failure.what());
    }
    return exit_status::fatalError;
}
