#include "transcript/LineSplitter.hpp"

#include <algorithm>

void LineSplitter::keep(std::string_view bytes) {
    line_.append(bytes.substr(0, longest_ + 1 - std::min(line_.size(), longest_ + 1)));
}

void LineSplitter::forgetHandedOut() {
    if (handedOut_) {
        line_.clear();
        handedOut_ = false;
    }
}

std::optional<std::string_view> LineSplitter::next() {
    forgetHandedOut();
    while (!piece_.empty()) {
        const auto end = piece_.find('\n');
        if (end == piece_.npos) {
            if (!passingOver_) {
                keep(piece_);
            }
            piece_ = {};
            if (passingOver_ || line_.size() <= longest_) {
                return std::nullopt;
            }
            passingOver_ = handedOut_ = true;
            return line_;
        }
        const std::string_view ended = piece_.substr(0, end);
        piece_.remove_prefix(end + 1);
        if (passingOver_) {
            passingOver_ = false;
        } else if (line_.empty()) {
            return ended;  // no copy, when a piece holds the line
        } else {
            keep(ended);
            handedOut_ = true;
            return line_;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> LineSplitter::last() {
    forgetHandedOut();
    if (passingOver_ || line_.empty()) {
        return std::nullopt;
    }
    handedOut_ = true;
    return line_;
}
