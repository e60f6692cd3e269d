#include "view/SplitterLayout.h"

#include <algorithm>
#include <cstdint>

namespace corvane {

void SplitterLayout::setMetrics(int sizingFrame, int systemEdge) {
    sizingFrame_ = std::max(sizingFrame, 0);
    minPane_ = std::max(2 * systemEdge, 0);
}

void SplitterLayout::setBarEdge(int edge) {
    barEdge_ = std::max(edge, 0);
    position_ = clamped(position_);
}

int SplitterLayout::clamped(int position) const {
    int low = minPane_;
    int high = extent_ - barThickness() - barEdge_ - minPane_;
    if (position < low + barEdge_) position = low;
    if (position > high) position = high;
    return std::max(position, 0);
}

void SplitterLayout::resize(int extent) {
    extent_ = std::max(extent, 0);
    auto proportional = static_cast<int64_t>(extent_) * proportion_ / kProportionScale;
    position_ = clamped(static_cast<int>(proportional));
}

void SplitterLayout::setPosition(int position) {
    if (position == -1) position = extent_ / 2;
    position_ = clamped(position);
    if (extent_ > 0)
        proportion_ = static_cast<int>(static_cast<int64_t>(position_) * kProportionScale / extent_);
}

}  // namespace corvane
