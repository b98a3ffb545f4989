#pragma once

#include <string>

// The codes that cross between the compiled program and the page's worker, defined here only:
// the worker learns them from neuronet_seam(), with the prompts it watches for.
struct PageSeam {
    // The streams whose text the worker is handed.
    enum Stream : int { standardOutput = 1, standardError = 2, trace = 3 };
    // Where the worker tells a run to hold next, when it yields or is held: where it was to
    // hold already, at the next step, nowhere, or at a step (any positive number). A run that
    // yields after every step, at a pace, may be told to show the step it has made (glimpse);
    // a held run, to draw its picture again (redraw).
    enum Hold : int { redraw = -4, glimpse = -3, keep = -2, next = -1, nowhere = 0 };
    // A run stopped on the page ends as one the console stops with Ctrl-C: its shell's status
    // for the signal SIGINT.
    static constexpr int stoppedStatus = 130;
    static constexpr const char* stoppedWords = "stopped, as Ctrl-C stops the console";

    // All of them, and the prompts, as one JSON object.
    static std::string described();
};
