#pragma once

#include <span>
#include <string_view>

// How a run of neuronet ended, as its exit status tells, and in the words its manual, its
// help and the page use. 3 and 64 mean the same for every program of the package.
struct ExitStatus {
    static constexpr int limitMet = 0;  // also a request of --help or --version answered
    static constexpr int limitNotMet = 1;
    static constexpr int unreadNumber = 2;
    static constexpr int fatalError = 3;
    static constexpr int usage = 64;  // EX_USAGE of sysexits.h

    struct Meaning {
        int status;
        std::string_view words;
    };
    // Every status of neuronet, in order.
    static std::span<const Meaning> meanings();
    // The words of a status of neuronet; empty for any other.
    static std::string_view words(int status);
};
