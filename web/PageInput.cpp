#include "web/PageInput.hpp"

#include <emscripten.h>

#include "web/PageFrame.hpp"

// Waits for the page's next answer and copies at most `capacity` of its bytes, keeping the
// rest for the next read; 0 means the input has ended. The wait suspends the program
// (Asyncify) and lets the worker take the page's messages.
EM_ASYNC_JS(int, page_read, (char* buffer, int capacity), {
    const bytes = await Module.readAnswer(capacity);
    HEAPU8.set(bytes, buffer);
    return bytes.length;
});

EM_JS(int, page_has_answer, (), { return Module.hasAnswer(); });

PageInput::PageInput(PageFrame& frame) : frame_(frame) {
    setg(storage_.data(), storage_.data(), storage_.data());
}

// The page is sent the frame only when the program is to wait: a run whose answers are all
// there, made again for a link or a step, draws no picture before it trains.
PageInput::int_type PageInput::underflow() {
    if (!page_has_answer()) {
        frame_.waitForAnswer();
    }
    const int got = page_read(storage_.data(), static_cast<int>(storage_.size()));
    if (got <= 0) {
        return traits_type::eof();
    }
    setg(storage_.data(), storage_.data(), storage_.data() + got);
    return traits_type::to_int_type(storage_[0]);
}
