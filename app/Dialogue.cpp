#include "app/Dialogue.hpp"

#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>

#include "linalg/Vector.hpp"
#include "net/NeuroNet.hpp"

std::string quoted(const std::string& text) {
    constexpr std::size_t shown = 40;
    std::string result = "\"";
    for (std::size_t i = 0; i < text.size() && i < shown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            result += '\\';
            result += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            result += escape;
        } else {
            result += static_cast<char>(c);
        }
    }
    result += text.size() > shown ? "\"..." : "\"";
    return result;
}

namespace {

void reportUnread(std::ostream& err, const char* vector, const Vector::ReadFailure& failure) {
    err << "neuronet: cannot read element [" << failure.index << "] of " << vector << ": ";
    if (failure.found.empty()) {
        err << "the input ended";
    } else {
        err << "found " << quoted(failure.found) << ", not a number";
    }
    err << std::endl;
}

}  // namespace

int runDialogue(std::istream& in, std::ostream& out, std::ostream& err,
                const DialogueOptions& options) {
    Vector a(3);
    const auto unreadInput = a.input(in, out);
    if (unreadInput) {
        out.flush();  // keep the diagnostic after the prompt it answers
        reportUnread(err, "the input vector", *unreadInput);
    }
    NeuroNet::Outcome outcome;
    {
        NeuroNet NEURO(a, out);
        NEURO.limitSteps(options.stepLimit);
        outcome = NEURO.BackPropagate(in);
        if (options.trained) {
            options.trained(NEURO);
        }
    }
    out.flush();
    if (outcome.unreadTarget) {
        reportUnread(err, "the target vector D", *outcome.unreadTarget);
    }
    if (unreadInput || outcome.unreadTarget) {
        return exit_status::unreadNumber;
    }
    return outcome.limitMet ? exit_status::limitMet : exit_status::limitNotMet;
}

int runProgram(std::istream& in, std::ostream& out, std::ostream& err) {
    try {
        return runDialogue(in, out, err);
    } catch (const std::bad_alloc&) {
        out.flush();
        err << "neuronet: out of memory" << std::endl;
    } catch (const std::exception& failure) {
        out.flush();
        err << "neuronet: " << failure.what() << std::endl;
    }
    return exit_status::fatalError;
}
