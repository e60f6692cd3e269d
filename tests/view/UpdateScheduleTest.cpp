#include "view/UpdateSchedule.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(UpdateSchedule, RefreshDuringTheLoadRunsOnceTheItemsAreHandedOver) {
    UpdateSchedule schedule;
    schedule.loadStarted();
    EXPECT_FALSE(schedule.refreshRequested());
    EXPECT_FALSE(schedule.refreshRequested());  // asked twice, runs once
    EXPECT_TRUE(schedule.loadHandedOver());
    EXPECT_TRUE(schedule.updating());
    EXPECT_FALSE(schedule.refreshRequested());
}

TEST(UpdateSchedule, LoadEndingFirstLeavesNothingToRun) {
    UpdateSchedule schedule;
    schedule.loadStarted();
    EXPECT_FALSE(schedule.loadHandedOver());
    EXPECT_FALSE(schedule.updating());
    EXPECT_TRUE(schedule.refreshRequested());
}

TEST(UpdateSchedule, RefreshDuringAnUpdateIsIgnored) {
    UpdateSchedule schedule;
    EXPECT_TRUE(schedule.refreshRequested());
    EXPECT_FALSE(schedule.refreshRequested());
    schedule.updateHandedOver();
    EXPECT_TRUE(schedule.refreshRequested());
}

TEST(UpdateSchedule, AWorkerThatDidNotStartFreesTheSchedule) {
    UpdateSchedule schedule;
    EXPECT_TRUE(schedule.refreshRequested());
    schedule.updateNotStarted();
    EXPECT_TRUE(schedule.refreshRequested());
}

TEST(RowAfterDeletion, KeepsThePositionOrFallsBackToTheLastRow) {
    EXPECT_EQ(rowAfterDeletion(3, 10), 3);
    EXPECT_EQ(rowAfterDeletion(9, 5), 4);
    EXPECT_EQ(rowAfterDeletion(0, 0), -1);
    EXPECT_EQ(rowAfterDeletion(-1, 10), -1);
}

}  // namespace
}  // namespace corvane
