#include "retrieval/MessageQueue.h"

namespace corvane {

void MessageQueue::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        messages_.push_back({message, wParam, lParam});
    }
    arrived_.notify_all();
}

std::optional<PostedMessage> MessageQueue::next(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(lock_);
    if (!arrived_.wait_for(guard, timeout, [this] { return !messages_.empty(); })) return std::nullopt;
    PostedMessage message = messages_.front();
    messages_.pop_front();
    return message;
}

}  // namespace corvane
