#include "plot/Thinning.hpp"

#include <utility>

void Thinning::add(Transcript::Step step) {
    if ((step.number - 1) % stride_ == 0) {
        kept_.push_back(step);
        if (kept_.size() > capacity_) {
            // Every second of the steps kept: those on the doubled stride.
            std::size_t next = 1;
            for (std::size_t k = 2; k < kept_.size(); k += 2) {
                kept_[next++] = std::move(kept_[k]);
            }
            kept_.resize(next);
            stride_ *= 2;
        }
    }
    last_ = std::move(step);
}

std::vector<Transcript::Step> Thinning::steps() && {
    if (last_ && (kept_.empty() || kept_.back().number != last_->number)) {
        kept_.push_back(std::move(*last_));
    }
    return std::move(kept_);
}
