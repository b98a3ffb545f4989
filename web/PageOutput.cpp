#include "web/PageOutput.hpp"

#include <string_view>

#include "web/PageFrame.hpp"

PageOutput::PageOutput(PageFrame& frame, PageSeam::Stream stream) : frame_(frame), stream_(stream) {
    setp(storage_.data(), storage_.data() + storage_.size());
    frame_.attach(*this, stream_);
}

void PageOutput::handOver() {
    if (pptr() != pbase()) {
        frame_.take(stream_, std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())));
        setp(storage_.data(), storage_.data() + storage_.size());
    }
}

PageOutput::int_type PageOutput::overflow(int_type c) {
    handOver();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int PageOutput::sync() {
    if (stream_ == PageSeam::standardError) {
        frame_.send();
    } else {
        frame_.lineEnded();
    }
    return 0;
}
