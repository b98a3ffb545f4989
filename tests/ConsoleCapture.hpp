#pragma once

#include <iostream>
#include <sstream>
#include <string>

// Captures what is written to std::cout while it lives.
class ConsoleCapture {
  public:
    ConsoleCapture() : saved_(std::cout.rdbuf(text_.rdbuf())) {}
    ~ConsoleCapture() { std::cout.rdbuf(saved_); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    std::string text() const { return text_.str(); }

  private:
    std::ostringstream text_;
    std::streambuf* saved_;
};

// How often the printer flushes the stream that it writes to.
template <typename Printer>
int flushesOf(Printer print) {
    struct FlushCounter : std::stringbuf {
        int flushes = 0;
        int sync() override {
            ++flushes;
            return 0;
        }
    } counter;
    std::ostream out(&counter);
    print(out);
    return counter.flushes;
}
