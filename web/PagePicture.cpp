#include "web/PagePicture.hpp"

#include <sstream>
#include <stdexcept>

#include "plot/Picture.hpp"

void PagePicture::take(std::string_view text) {
    if (!fault_.empty()) {
        return;
    }
    try {
        const std::int64_t before = reader_.linesRead();
        reader_.feed(text);
        changed_ = changed_ || reader_.linesRead() != before;
    } catch (const TranscriptReader::Unusable& unusable) {
        fault_ = unusable.what();
    }
}

void PagePicture::setTarget(const std::vector<double>& target) {
    if (!fault_.empty()) {
        return;
    }
    try {
        reader_.setTarget(target);
        changed_ = true;
    } catch (const std::invalid_argument& failure) {
        fault_ = failure.what();
    }
}

std::vector<Transcript::Step> PagePicture::keptAfter(std::int64_t step) const {
    std::vector<Transcript::Step> kept;
    for (const Transcript::Step& s : reader_.run().steps) {
        if (s.number > step) {
            kept.push_back(s);
        }
    }
    return kept;
}

void PagePicture::resume(std::int64_t steps, std::int64_t stride,
                         std::span<const Transcript::Step> logged) {
    if (fault_.empty()) {
        reader_.resumeAt(steps, stride, logged);
        changed_ = true;
    }
}

bool PagePicture::due() const {
    return changed_ && reader_.run().networkKnown;
}

void PagePicture::draw(const StepView* view, double leastTextSize) {
    const Picture picture(reader_.run(), view, leastTextSize);
    std::ostringstream out;
    picture.write(out);
    svg_ = out.str();
    title_ = picture.title();
    changed_ = false;
}
