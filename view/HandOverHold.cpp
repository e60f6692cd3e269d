#include "view/HandOverHold.h"

#include <utility>

namespace corvane {

std::vector<HandOver> HandOverHold::boxClosed() {
    if (openBoxes_ > 0) --openBoxes_;
    if (openBoxes_ > 0) return {};
    return std::exchange(held_, {});
}

bool HandOverHold::takeNow(const HandOver& handOver) {
    if (openBoxes_ == 0) return true;
    held_.push_back(handOver);
    return false;
}

}  // namespace corvane
