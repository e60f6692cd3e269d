#include "view/ProgressRelay.h"

#include <utility>

namespace corvane {

ProgressRelay::Report ProgressRelay::report(uint32_t received, uint32_t contentLength) {
    std::lock_guard<std::mutex> guard(lock_);
    if (cancelled_) return {false, false};
    latest_ = Figures{received, contentLength};
    bool notify = !std::exchange(awaitingTake_, true);
    return {true, notify};
}

std::optional<ProgressRelay::Figures> ProgressRelay::take() {
    std::lock_guard<std::mutex> guard(lock_);
    awaitingTake_ = false;
    return std::exchange(latest_, std::nullopt);
}

void ProgressRelay::cancel() {
    std::lock_guard<std::mutex> guard(lock_);
    cancelled_ = true;
}

bool ProgressRelay::cancelled() const {
    std::lock_guard<std::mutex> guard(lock_);
    return cancelled_;
}

void ProgressRelay::reset() {
    std::lock_guard<std::mutex> guard(lock_);
    latest_.reset();
    awaitingTake_ = false;
    cancelled_ = false;
}

}  // namespace corvane
