#include "view/ColumnSet.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane {
namespace {

ColumnSet fourColumns() {
    ColumnSet set;
    for (int kind = 0; kind < 4; ++kind)
        set.inserted(kind, kColumnKindInfo[kind].initialWidth, kind);
    std::vector<int> header{0, 1, 2, 3};
    set.rebuildIndex(header);
    return set;
}

TEST(ColumnSet, InitialWidthsScaleWithTheDpiAndFitTheBoldDate) {
    struct Case {
        int kind, dpi, boldDate, width;
    };
    const Case cases[] = {
        {0, 96, 0, 400},    {1, 96, 0, 72},     {2, 96, 0, 72},   {3, 96, 0, 118}, {0, 144, 0, 600},
        {1, 144, 0, 108},   {3, 144, 0, 177},   {0, 120, 0, 500}, {1, 120, 0, 90}, {3, 96, 110, 126},
        {3, 144, 160, 184}, {3, 144, 100, 177}, {1, 96, 500, 72}, {0, 0, 0, 400},  {4, 96, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(initialColumnWidth(c.kind, c.dpi, c.boldDate), c.width)
            << "kind " << c.kind << " at " << c.dpi << " dpi, bold date " << c.boldDate;
}

TEST(ColumnSet, HidingAndShowingFollowTheRecords) {
    ColumnSet set = fourColumns();
    EXPECT_TRUE(set.canHide(2));
    EXPECT_FALSE(set.canShow(2));
    set.setHidden(2, true);
    std::vector<int> header{0, 1, 3};
    set.rebuildIndex(header);
    EXPECT_TRUE(set.isHidden(2));
    EXPECT_EQ(set.indexOf(2), -1);
    EXPECT_EQ(set.indexOf(3), 2);
    EXPECT_EQ(set.kindOf(2), 3);
    EXPECT_FALSE(set.canHide(2));
    EXPECT_TRUE(set.canShow(2));
    // Shown again: inserted at index = kind, after Description.
    set.inserted(2, 72, 2);
    set.setHidden(2, false);
    header = {0, 1, 2, 3};
    set.rebuildIndex(header);
    EXPECT_EQ(set.indexOf(2), 2);
    EXPECT_EQ(set.columns().size(), 4u);  // a second insertion makes no second record
}

TEST(ColumnSet, KindsWithoutARecordCountAsHiddenAndCannotBeShown) {
    ColumnSet set;
    EXPECT_TRUE(set.isHidden(4));
    EXPECT_FALSE(set.canShow(4));
    EXPECT_FALSE(set.canHide(5));
    EXPECT_EQ(set.indexOf(7), -1);
    EXPECT_EQ(set.kindOf(0), -1);
}

TEST(ColumnSet, RebuildKeepsTitleAndSurvivesDraggedHeaders) {
    ColumnSet set = fourColumns();
    // Header items keep their kinds whatever the display order; an item without a known kind is skipped.
    std::vector<int> header{0, 3, 1, 9};
    set.rebuildIndex(header);
    EXPECT_EQ(set.indexOf(3), 1);
    EXPECT_EQ(set.indexOf(1), 2);
    EXPECT_EQ(set.indexOf(2), -1);
    EXPECT_EQ(set.kindOf(3), 9);
    std::vector<int> none;
    set.rebuildIndex(none);
    EXPECT_EQ(set.indexOf(0), 0);  // Title's entry is never cleared: it cannot be hidden
}

TEST(ColumnSet, OnlyTitleCannotBeHidden) {
    ColumnSet set = fourColumns();
    EXPECT_FALSE(set.canHide(0));
    EXPECT_FALSE(kColumnKindInfo[0].canHide);
    for (int kind = 1; kind < 4; ++kind)
        EXPECT_TRUE(kColumnKindInfo[kind].canHide);
}

}  // namespace
}  // namespace corvane
