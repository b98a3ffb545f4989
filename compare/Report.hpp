#pragma once

#include <iosfwd>
#include <string>

#include "compare/TraceComparison.hpp"

// neuronet-compare's verdict, written for a reader or, as one JSON object, for a program.
struct Report {
    static void text(std::ostream& out, const TraceComparison::Verdict& verdict);
    static void json(std::ostream& out, const TraceComparison::Verdict& verdict);
    // The verdict on traces that cannot be compared: why, as said on standard error.
    static void unusable(std::ostream& out, const std::string& why);
};
