#pragma once

#include <iosfwd>

// One whole run of the program: reads the input vector, builds the network, trains it
// against the target read from `in`, and tears it down. Returns the exit status.
int runDialogue(std::istream& in, std::ostream& out, std::ostream& err);
