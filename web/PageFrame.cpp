#include "web/PageFrame.hpp"

#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "linalg/Vector.hpp"
#include "web/PageOutput.hpp"

// The worker's side: it gathers the text of a frame and posts the frame to the page, with
// the picture's SVG and title when there is a new one, and why drawing stopped, if it did.
EM_JS(void, page_take, (int stream, const char* text, int length),
      { Module.takeText(stream, HEAPU8.subarray(text, text + length)); });
EM_JS(void, page_send,
      (int steps, const char* svg, int length, const char* title, const char* fault, int waits), {
          Module.sendFrame(steps, svg ? HEAPU8.slice(svg, svg + length) : null, UTF8ToString(title),
                           UTF8ToString(fault), !!waits);
      });

void PageFrame::attach(PageOutput& output, PageSeam::Stream stream) {
    outputs_.at(static_cast<std::size_t>(stream - 1)) = &output;
}

void PageFrame::beginRun(bool drawn) {
    outputLines_ = 0;
    lastView_.reset();
    picture_.reset();
    if (drawn) {
        picture_.emplace();
    }
}

void PageFrame::take(PageSeam::Stream stream, std::string_view text) {
    if (stream == PageSeam::standardOutput) {
        outputLines_ += std::count(text.begin(), text.end(), '\n');
        if (picture_) {
            picture_->take(text);
        }
    }
    page_take(stream, text.data(), static_cast<int>(text.size()));
}

void PageFrame::targetRead(const Vector& target) {
    // The output before the target, the network's among it, may still be buffered.
    handOver();
    if (picture_) {
        std::vector<double> values;
        for (std::int32_t i = 0; i < target.size(); ++i) {
            values.push_back(target.get(i));
        }
        picture_->setTarget(values);
    }
    // Training begins: a short run is drawn once, as it ends.
    pictureDue_ = emscripten_get_now() + pictureInterval;
}

void PageFrame::lineEnded() {
    if (++lines_ % linesPerLook == 0 && emscripten_get_now() >= due_) {
        send(emscripten_get_now() >= pictureDue_);
    }
}

void PageFrame::keepLastView(StepView view) {
    lastView_ = std::move(view);
}

void PageFrame::waitForAnswer() {
    send(true, nullptr, true);
}

void PageFrame::send(bool picture, const StepView* view, bool waits) {
    handOver();
    // Once the run's last step is made, every picture is of the network after it.
    const StepView* shown = view ? view : lastView_ ? &*lastView_ : nullptr;
    const bool drawn = picture && picture_ && (shown || picture_->due());
    if (drawn) {
        picture_->draw(shown, leastTextSize_);
    }
    page_send(picture_ ? static_cast<int>(picture_->steps()) : 0,
              drawn ? picture_->svg().data() : nullptr,
              drawn ? static_cast<int>(picture_->svg().size()) : 0,
              drawn ? picture_->title().c_str() : nullptr,
              picture_ ? picture_->fault().c_str() : "", waits ? 1 : 0);
    due_ = emscripten_get_now() + interval;
    if (drawn) {
        pictureDue_ = emscripten_get_now() + pictureInterval;
    }
}

void PageFrame::resume(std::int64_t lines, std::int64_t steps, std::int64_t stride,
                       std::span<const Transcript::Step> logged) {
    handOver();
    outputLines_ = lines;
    if (picture_) {
        picture_->resume(steps, stride, logged);
    }
}

void PageFrame::handOver() {
    for (PageOutput* output : outputs_) {
        if (output != nullptr) {
            output->handOver();
        }
    }
}
