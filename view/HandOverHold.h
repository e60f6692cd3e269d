#pragma once

#include <cstdint>
#include <vector>

// What the view does with a worker's hand-over (the loaded store, an update's result) while a modal
// box of the view is open. Taking it over re-sorts the list and may remove the messages a box is
// asking about, so it waits until the last box has closed.
namespace corvane {

struct HandOver {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;

    bool operator==(const HandOver&) const = default;
};

class HandOverHold {
  public:
    void boxOpened() { ++openBoxes_; }
    // A box closed: once the last one has, the hand-overs held meanwhile, in arrival order, to be
    // taken over now; otherwise none.
    std::vector<HandOver> boxClosed();
    // A hand-over arrived: true when it is to be taken over now, false when it is held.
    bool takeNow(const HandOver& handOver);

    bool boxOpen() const { return openBoxes_ > 0; }

  private:
    int openBoxes_ = 0;
    std::vector<HandOver> held_;
};

}  // namespace corvane
