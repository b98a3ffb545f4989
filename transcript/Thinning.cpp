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
