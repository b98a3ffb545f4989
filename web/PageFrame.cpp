#include "web/PageFrame.hpp"

#include <emscripten.h>

#include "web/PageOutput.hpp"

// The worker's side: it gathers the text of a frame and posts the frame to the page.
EM_JS(void, page_take, (int stream, const char* text, int length),
      { Module.takeText(stream, HEAPU8.subarray(text, text + length)); });
EM_JS(void, page_send, (int steps), { Module.sendFrame(steps); });

void PageFrame::attach(PageOutput& output, int stream) {
    outputs_.at(static_cast<std::size_t>(stream - 1)) = &output;
}

void PageFrame::take(int stream, std::string_view text) {
    if (stream == standardOutput) {
        steps_.take(text);
    }
    page_take(stream, text.data(), static_cast<int>(text.size()));
}

void PageFrame::lineEnded() {
    if (++lines_ % linesPerLook == 0 && emscripten_get_now() >= due_) {
        send();
    }
}

void PageFrame::send() {
    for (PageOutput* output : outputs_) {
        if (output != nullptr) {
            output->handOver();
        }
    }
    page_send(steps_.steps());
    due_ = emscripten_get_now() + interval;
}
