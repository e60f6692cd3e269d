#include "view/UpdateSchedule.h"

namespace corvane {

bool UpdateSchedule::refreshRequested() {
    if (updating_) return false;
    if (loading_) {
        pending_ = true;
        return false;
    }
    updating_ = true;
    return true;
}

bool UpdateSchedule::loadHandedOver() {
    loading_ = false;
    if (!pending_ || updating_) return false;
    pending_ = false;
    updating_ = true;
    return true;
}

int rowAfterDeletion(int currentIndex, int rowCount) {
    if (currentIndex < 0 || rowCount <= 0) return -1;
    return currentIndex < rowCount ? currentIndex : rowCount - 1;
}

}  // namespace corvane
