#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "web/PagePicture.hpp"

class PageOutput;
class Vector;
struct StepView;

// What the page is shown next: the text written to standard output and standard error
// since the last frame, the training steps made so far, and the run's picture when it has
// changed. The program flushes every line; the page is sent a frame only when the program
// is about to wait for an answer, when it has written a diagnostic, when it ends (and then
// the last picture, after the run's status), and while it writes, every 50 ms.
class PageFrame {
  public:
    static constexpr int standardOutput = 1;
    static constexpr int standardError = 2;
    static constexpr int trace = 3;

    // The outputs whose buffered text every frame takes along.
    void attach(PageOutput& output, int stream);
    // A run begins: its picture, if it is drawn, starts from nothing.
    void beginRun(bool drawn);
    // Takes text written to one of the two streams.
    void take(int stream, std::string_view text);
    // The program has read the target: the picture is given it.
    void targetRead(const Vector& target);
    // A line of standard output has ended: sends the frame when one is due.
    void lineEnded();
    // Sends the frame now, with whatever the outputs still buffer and, unless told not to,
    // the picture as it is; with a step's view, the picture of the run at that step.
    void send(bool picture = true, const StepView* view = nullptr);

  private:
    // How often a line's end looks at the clock, the longest time between frames, and the
    // shortest between pictures while training: the page takes tens of milliseconds to show
    // one.
    static constexpr unsigned linesPerLook = 64;
    static constexpr double interval = 50.0;  // milliseconds
    static constexpr double pictureInterval = 200.0;

    // Takes what the outputs buffer.
    void handOver();

    std::array<PageOutput*, 3> outputs_{};
    std::optional<PagePicture> picture_;
    unsigned lines_ = 0;
    double due_ = 0.0;
    double pictureDue_ = 0.0;
};
