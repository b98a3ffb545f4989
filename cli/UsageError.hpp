#pragma once

#include <string>

// A command line the program cannot take: what is wrong with it, in words for the user.
struct UsageError {
    std::string why;
};
