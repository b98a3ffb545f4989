#pragma once

#include <iostream>
#include <sstream>
#include <string>

// Captures what is written to std::cout while it lives.
struct ConsoleCapture {
    std::ostringstream text;
    std::streambuf* saved = std::cout.rdbuf(text.rdbuf());
    ~ConsoleCapture() { std::cout.rdbuf(saved); }
};

// How often the printer flushes the stream that it writes to.
inline int flushesOf(void (*print)(std::ostream&)) {
    struct FlushCounter : std::stringbuf {
        int flushes = 0;
        int sync() override { return ++flushes, 0; }
    } counter;
    std::ostream out(&counter);
    print(out);
    return counter.flushes;
}
