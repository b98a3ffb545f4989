#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "plot/StepView.hpp"
#include "web/PagePicture.hpp"
#include "web/PageSeam.hpp"

class PageOutput;
class Vector;

// What the page is shown next: the text written to standard output and standard error
// since the last frame, the training steps made so far, and the run's picture when it has
// changed, and whether the program waits for an answer. The program flushes every line; the
// page is sent a frame only when the program is about to wait for an answer, when it has written a
// diagnostic, when it ends (and then the last picture, after the run's status), and while it
// writes, every 50 ms.
class PageFrame {
  public:
    // The outputs whose buffered text every frame takes along.
    void attach(PageOutput& output, PageSeam::Stream stream);
    // A run begins: its picture, if it is drawn, starts from nothing.
    void beginRun(bool drawn);
    // Takes text written to one of the streams.
    void take(PageSeam::Stream stream, std::string_view text);
    // The program has read the target: the picture is given it.
    void targetRead(const Vector& target);
    // A line of standard output has ended: sends the frame when one is due.
    void lineEnded();
    // Sends the frame now, with whatever the outputs still buffer and, unless told not to,
    // the picture as it is; with a step's view, the picture of the run at that step.
    void send(bool picture = true, const StepView* view = nullptr, bool waits = false);
    // Sends the frame as the program is about to wait for an answer.
    void waitForAnswer();
    // The network after the run's last step, which the picture drawn at its end shows.
    void keepLastView(StepView view);
    // Pictures are drawn with text at least this large: for a picture shown far off.
    void setLeastTextSize(double size) { leastTextSize_ = size; }

    // Takes what the outputs buffer.
    void handOver();
    // The lines of standard output taken so far.
    std::int64_t outputLines() const { return outputLines_; }
    // The run's picture, if it is drawn.
    const PagePicture* picture() const { return picture_ ? &*picture_ : nullptr; }
    // Training resumes after step `steps`, when standard output had `lines` lines: the text
    // written before is handed over, and the picture reads on from the steps it kept then.
    void resume(std::int64_t lines, std::int64_t steps, std::int64_t stride,
                std::span<const Transcript::Step> logged);

  private:
    // How often a line's end looks at the clock, the longest time between frames, and the
    // shortest between pictures while training: the page takes tens of milliseconds to show
    // one.
    static constexpr unsigned linesPerLook = 64;
    static constexpr double interval = 50.0;  // milliseconds
    static constexpr double pictureInterval = 200.0;

    std::array<PageOutput*, 3> outputs_{};
    std::optional<PagePicture> picture_;
    unsigned lines_ = 0;
    double due_ = 0.0;
    double pictureDue_ = 0.0;
    std::int64_t outputLines_ = 0;
    std::optional<StepView> lastView_;
    double leastTextSize_ = 0;
};
