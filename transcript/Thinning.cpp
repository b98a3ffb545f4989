#include "transcript/Thinning.hpp"

void Thinning::add(std::vector<Transcript::Step>& kept, const Transcript::Step& step) {
    if (lastOffStride_) {
        kept.pop_back();
    }
    lastOffStride_ = (step.number - 1) % stride_ != 0;
    kept.push_back(step);
    if (!lastOffStride_ && kept.size() > capacity_) {
        // Every second of the steps kept: those on the doubled stride, this one among them.
        std::size_t next = 1;
        for (std::size_t k = 2; k < kept.size(); k += 2) {
            kept[next++] = kept[k];
        }
        kept.resize(next);
        stride_ *= 2;
    }
}

std::vector<Transcript::Step> Thinning::resume(std::int64_t last, std::int64_t stride,
                                               std::span<const Transcript::Step> logged) {
    stride_ = stride;
    lastOffStride_ = (last - 1) % stride_ != 0;
    std::vector<Transcript::Step> kept;
    for (const Transcript::Step& step : logged) {
        if (step.number <= last && ((step.number - 1) % stride_ == 0 || step.number == last)) {
            kept.push_back(step);
        }
    }
    return kept;
}
