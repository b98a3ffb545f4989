#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "transcript/TranscriptReader.hpp"

struct StepView;

// The picture of the run the page trains, drawn as neuronet-plot draws the run's transcript:
// read from standard output's text as the program writes it, in pieces that may end
// anywhere, and given the target as soon as the program has read it. The reader takes
// whatever the program writes; should it ever reject a line, drawing stops there and says
// why, and the run goes on.
class PagePicture {
  public:
    // Takes text written to standard output.
    void take(std::string_view text);
    // The target as read, once the output written before it has been taken.
    void setTarget(const std::vector<double>& target);

    // Whether the run has come to a picture (its network is known) that differs from the
    // last one drawn.
    bool due() const;
    // Draws the run so far as an SVG document, with the network at a step when given its
    // view: svg() and title() give it.
    void draw(const StepView* view = nullptr, double leastTextSize = 0);
    const std::string& svg() const { return svg_; }
    const std::string& title() const { return title_; }

    std::int64_t steps() const { return reader_.run().stepCount; }
    // The steps the reader keeps, numbered after `step`, and every how many it keeps.
    std::vector<Transcript::Step> keptAfter(std::int64_t step) const;
    std::int64_t stride() const { return reader_.stride(); }
    // Reads on as the picture of a run resumed after step `steps` (TranscriptReader::resumeAt).
    void resume(std::int64_t steps, std::int64_t stride, std::span<const Transcript::Step> logged);
    // Why drawing stopped; empty while it goes on.
    const std::string& fault() const { return fault_; }

  private:
    TranscriptReader reader_;
    bool changed_ = false;
    std::string fault_;
    std::string svg_;
    std::string title_;
};
