#include "web/StepCounter.hpp"

#include <algorithm>

void StepCounter::take(std::string_view text) {
    if (matched_ > 0) {  // the last piece ended inside the marker
        const std::size_t rest = std::min(marker.size() - matched_, text.size());
        if (text.substr(0, rest) == marker.substr(matched_, rest)) {
            matched_ += rest;
            if (matched_ < marker.size()) {
                return;
            }
            ++outputs_;
            text.remove_prefix(rest);
        }
        matched_ = 0;
    }
    for (auto at = text.find(marker); at != text.npos; at = text.find(marker, at + marker.size())) {
        ++outputs_;
    }
    for (std::size_t length = std::min(text.size(), marker.size() - 1); length > 0; --length) {
        if (text.ends_with(marker.substr(0, length))) {
            matched_ = length;
            return;
        }
    }
}
