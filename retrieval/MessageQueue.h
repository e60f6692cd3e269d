#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "retrieval/WorkerMessages.h"

namespace corvane {

struct PostedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// A thread-safe message target that the command and the tests drain in posting order.
class MessageQueue final : public MessageTarget {
  public:
    void post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    // The oldest message, waiting up to `timeout` for one.
    std::optional<PostedMessage> next(std::chrono::milliseconds timeout);

  private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<PostedMessage> messages_;
};

}  // namespace corvane
