#pragma once

#include <string>

#include "transcript/Transcript.hpp"

// Whether the error a report gives can be the one its run made: on the side of the limit
// that the run's ending tells, and the error of the last step's output against the target,
// as far as their three-decimal figures tell.
struct ReportCheck {
    // What the report's error should have been, for a diagnostic; empty when it agrees. The
    // run has its steps and target, and why training stopped, if it did.
    static std::string disagreement(const Transcript& run, double reportedError);
};
