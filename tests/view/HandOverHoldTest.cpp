#include "view/HandOverHold.h"

#include <gtest/gtest.h>

#include "retrieval/WorkerMessages.h"

namespace corvane {
namespace {

const HandOver kLoaded{WM_FEED_LOADED, 0, 0};
const HandOver kUpdated{WM_FEED_UPDATE_DONE, UPDATE_OK, 0};
const HandOver kFailed{WM_FEED_UPDATE_DONE, UPDATE_DOWNLOAD_FAILED, 0};

TEST(HandOverHold, WithoutABoxEveryHandOverIsTakenAtOnce) {
    HandOverHold hold;
    EXPECT_TRUE(hold.takeNow(kUpdated));
    EXPECT_TRUE(hold.takeNow(kLoaded));
    EXPECT_FALSE(hold.boxOpen());
}

TEST(HandOverHold, HandOversWaitUntilTheLastBoxClosesAndComeInArrivalOrder) {
    HandOverHold hold;
    hold.boxOpened();  // the confirmation box
    EXPECT_FALSE(hold.takeNow(kLoaded));
    hold.boxOpened();  // a box over it
    EXPECT_FALSE(hold.takeNow(kFailed));
    EXPECT_TRUE(hold.boxClosed().empty());
    EXPECT_TRUE(hold.boxOpen());
    EXPECT_FALSE(hold.takeNow(kUpdated));
    EXPECT_EQ(hold.boxClosed(), (std::vector<HandOver>{kLoaded, kFailed, kUpdated}));
    EXPECT_FALSE(hold.boxOpen());
    // Released once: the next box starts with nothing held.
    hold.boxOpened();
    EXPECT_TRUE(hold.boxClosed().empty());
    EXPECT_TRUE(hold.takeNow(kUpdated));
}

TEST(HandOverHold, AClosingWithoutAnOpeningChangesNothing) {
    HandOverHold hold;
    EXPECT_TRUE(hold.boxClosed().empty());
    hold.boxOpened();
    EXPECT_FALSE(hold.takeNow(kUpdated));
    EXPECT_EQ(hold.boxClosed(), std::vector<HandOver>{kUpdated});
    EXPECT_TRUE(hold.boxClosed().empty());
    EXPECT_TRUE(hold.takeNow(kUpdated));
}

}  // namespace
}  // namespace corvane
