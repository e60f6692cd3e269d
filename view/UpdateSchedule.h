#pragma once

// When the view lets an update run: one at a time, and never while the initial load runs, so
// stored messages are always taken in before new ones and no id is stored twice.
namespace corvane {

class UpdateSchedule {
  public:
    // The initial load has been started.
    void loadStarted() { loading_ = true; }
    // Refresh asked for: true when the update should start now. A request during the load is kept
    // and answered by loadHandedOver; one during an update is dropped.
    bool refreshRequested();
    // The loaded items were taken over: true when a request kept during the load should start now.
    bool loadHandedOver();
    // The update's worker could not be started: the schedule is idle again.
    void updateNotStarted() { updating_ = false; }
    // The update's result was taken over.
    void updateHandedOver() { updating_ = false; }

    bool loading() const { return loading_; }
    bool updating() const { return updating_; }

  private:
    bool loading_ = false;
    bool updating_ = false;
    bool pending_ = false;
};

// The row to select after rows were deleted: the old position, or the last row when the deletion
// reached the end; -1 when nothing was selected before or no row is left.
int rowAfterDeletion(int currentIndex, int rowCount);

}  // namespace corvane
