#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "web/StepCounter.hpp"

class PageOutput;

// What the page is shown next: the text written to standard output and standard error
// since the last frame, and the training steps made so far. The program flushes every
// line; the page is sent a frame only when the program is about to wait for an answer,
// when it has written a diagnostic, when it ends, and while it writes, every 50 ms.
class PageFrame {
  public:
    static constexpr int standardOutput = 1;
    static constexpr int standardError = 2;

    // The outputs whose buffered text every frame takes along.
    void attach(PageOutput& output, int stream);
    // Takes text written to one of the two streams.
    void take(int stream, std::string_view text);
    // A line of standard output has ended: sends the frame when one is due.
    void lineEnded();
    // Sends the frame now, with whatever the outputs still buffer.
    void send();

  private:
    // How often a line's end looks at the clock, and the longest time between frames.
    static constexpr unsigned linesPerLook = 64;
    static constexpr double interval = 50.0;  // milliseconds

    std::array<PageOutput*, 2> outputs_{};
    StepCounter steps_;
    unsigned lines_ = 0;
    double due_ = 0.0;
};
