#include "web/PagePicture.hpp"

#include <sstream>
#include <stdexcept>

#include "plot/Picture.hpp"

void PagePicture::take(std::string_view text) {
    for (auto end = text.find('\n'); end != text.npos && fault_.empty(); end = text.find('\n')) {
        if (line_.empty()) {
            read(text.substr(0, end));
        } else {
            line_.append(text.substr(0, end));
            read(line_);
            line_.clear();
        }
        text.remove_prefix(end + 1);
    }
    // A line longer than any transcript's is rejected without being kept whole.
    if (fault_.empty() && line_.size() + text.size() > TranscriptParser::longestLine) {
        read(line_.append(text));
    } else if (fault_.empty()) {
        line_.append(text);
    }
}

void PagePicture::setTarget(const std::vector<double>& target) {
    if (!fault_.empty()) {
        return;
    }
    try {
        parser_.setTarget(target);
        changed_ = true;
    } catch (const std::invalid_argument& failure) {
        fault_ = failure.what();
    }
}

bool PagePicture::due() const {
    return changed_ && parser_.run().networkKnown;
}

void PagePicture::draw() {
    const Picture picture(parser_.run());
    std::ostringstream out;
    picture.write(out);
    svg_ = out.str();
    title_ = picture.title();
    changed_ = false;
}

void PagePicture::read(std::string_view line) {
    try {
        parser_.line(line);
        changed_ = true;
    } catch (const TranscriptParser::Unusable& unusable) {
        fault_ = unusable.what();
        line_.clear();
    }
}
