#include "view/SplitterLayout.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

SplitterLayout layout(int extent) {
    SplitterLayout splitter;
    splitter.setMetrics(4, 2);  // bar 4 + edge, panes at least 4
    splitter.setBarEdge(5);
    splitter.resize(extent);
    return splitter;
}

TEST(SplitterLayout, MinusOneIsTheMiddle) {
    SplitterLayout splitter = layout(600);
    splitter.setPosition(-1);
    EXPECT_EQ(splitter.position(), 300);
    EXPECT_EQ(splitter.barThickness(), 9);
    EXPECT_EQ(splitter.secondPaneStart(), 309);
}

TEST(SplitterLayout, PositionStaysProportionalWhenResized) {
    SplitterLayout splitter = layout(1000);
    splitter.setPosition(250);
    splitter.resize(400);
    EXPECT_EQ(splitter.position(), 100);
    splitter.resize(2000);
    EXPECT_EQ(splitter.position(), 500);  // no drift from the smaller size
}

TEST(SplitterLayout, PositionIsKeptInsideTheRange) {
    SplitterLayout splitter = layout(500);
    splitter.setPosition(6);  // below the minimum pane plus the edge
    EXPECT_EQ(splitter.position(), 4);
    splitter.setPosition(499);
    EXPECT_EQ(splitter.position(), 500 - 9 - 5 - 4);
    splitter.setPosition(1000000);
    EXPECT_EQ(splitter.position(), 482);
}

TEST(SplitterLayout, ATinyOrEmptyExtentNeverGivesANegativePosition) {
    SplitterLayout splitter = layout(0);
    splitter.setPosition(-1);
    EXPECT_EQ(splitter.position(), 0);
    splitter.resize(10);
    EXPECT_GE(splitter.position(), 0);
}

TEST(SplitterLayout, BarIsHitBetweenThePanes) {
    SplitterLayout splitter = layout(600);
    splitter.setPosition(300);
    EXPECT_FALSE(splitter.onBar(299));
    EXPECT_TRUE(splitter.onBar(300));
    EXPECT_TRUE(splitter.onBar(308));
    EXPECT_FALSE(splitter.onBar(309));
}

}  // namespace
}  // namespace corvane
