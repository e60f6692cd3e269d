#include "view/ViewStateRecord.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::viewstate {
namespace {

TEST(ViewStateRecord, FieldsAreLittleEndianInTableOrder) {
    Record record;
    record.splitterPosition = 0x01020304;
    record.widths = {400, 72, 72, 118};
    record.positions = {1, 2, -1, 0};
    record.visible = {1, 1, 0, 1};
    record.rememberedRow = -1;
    record.savedSortColumn = 3;
    record.savedSortAscending = 0;
    auto bytes = encode(record);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(bytes[4], 400 & 0xFF);
    EXPECT_EQ(bytes[5], 400 >> 8);
    EXPECT_EQ(bytes[16], 118);
    EXPECT_EQ(bytes[20], 1);     // position of Title
    EXPECT_EQ(bytes[28], 0xFF);  // Link not shown: -1
    EXPECT_EQ(bytes[31], 0xFF);
    EXPECT_EQ(bytes[32], 0);  // Date leftmost
    EXPECT_EQ(bytes[44], 0);  // Link hidden
    EXPECT_EQ(bytes[48], 1);
    EXPECT_EQ(bytes[52], 0xFF);
    EXPECT_EQ(bytes[56], 3);
    EXPECT_EQ(bytes[60], 0);
}

TEST(ViewStateRecord, DecodeGivesBackWhatWasEncoded) {
    Record record;
    record.splitterPosition = -1;
    record.widths = {70000, 1, 2, 3};
    record.positions = {3, 0, 1, 2};
    record.visible = {1, 1, 1, 1};
    record.rememberedRow = 42;
    record.savedSortColumn = 0;
    record.savedSortAscending = 1;
    auto bytes = encode(record);
    auto back = decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->splitterPosition, -1);
    EXPECT_EQ(back->widths, record.widths);
    EXPECT_EQ(back->positions, record.positions);
    EXPECT_EQ(back->rememberedRow, 42);
    EXPECT_EQ(back->savedSortAscending, 1);
    EXPECT_EQ(storedWidth(back->widths[0]), 70000 & 0xFFFF);
}

TEST(ViewStateRecord, OnlyExactly64BytesMakeARecord) {
    std::vector<uint8_t> bytes(64, 0);
    EXPECT_TRUE(decode(bytes));
    EXPECT_FALSE(decode(std::span(bytes).first(63)));
    EXPECT_FALSE(decode({}));
    bytes.push_back(0);
    EXPECT_FALSE(decode(bytes));
}

TEST(ViewStateRecord, PositionsFromTheControlsOrder) {
    // Link hidden, Date dragged to the left: header indexes Title 0, Description 1, Date 2.
    std::vector<int> kinds{3, 0, 1};
    std::array<int32_t, 4> expected{1, 2, -1, 0};
    EXPECT_EQ(positionsFromOrder(kinds), expected);
}

TEST(ViewStateRecord, OrderRebuiltFromStoredPositions) {
    // Title moved to the right end; all four shown at indexes 0 to 3.
    auto order = columnOrder({3, 0, 1, 2}, {0, 1, 2, 3});
    ASSERT_TRUE(order);
    EXPECT_EQ(*order, (std::vector<int>{1, 2, 3, 0}));
    // Link hidden: the Date column now sits at index 2.
    order = columnOrder({1, 2, -1, 0}, {0, 1, -1, 2});
    ASSERT_TRUE(order);
    EXPECT_EQ(*order, (std::vector<int>{2, 0, 1}));
}

TEST(ViewStateRecord, PositionsThatDoNotNameEveryShownColumnOnceAreRefused) {
    EXPECT_FALSE(columnOrder({0, 1, 1, -1}, {0, 1, 2, 3}));     // two at one place, one missing
    EXPECT_FALSE(columnOrder({0, 1, 2, -1}, {0, 1, 2, 3}));     // a shown column without a place
    EXPECT_FALSE(columnOrder({0, 1, 2, 3}, {0, 1, -1, 2}));     // a hidden column given a place
    EXPECT_FALSE(columnOrder({0, 1, 2, 7}, {0, 1, 2, 3}));      // a place beyond the columns
    EXPECT_FALSE(columnOrder({-1, -1, -1, -1}, {0, 1, 2, 3}));  // zeroed by something else
}

TEST(ViewStateRecord, RecordOfTheShownLayout) {
    struct Case {
        const char* name;
        std::array<int32_t, 4> widths;
        std::array<bool, 4> hidden;
        std::vector<int> kindsInDisplayOrder;
        std::array<int32_t, 4> expectedWidths;
        std::array<int32_t, 4> expectedPositions;
        std::array<int32_t, 4> expectedVisible;
    };
    const Case cases[] = {
        {"all shown in place",
         {300, 50, 60, 130},
         {},
         {0, 1, 2, 3},
         {300, 50, 60, 130},
         {0, 1, 2, 3},
         {1, 1, 1, 1}},
        // A hidden column's width in the control means nothing: its default is stored.
        {"link hidden, date leftmost",
         {300, 50, 999, 130},
         {false, false, true, false},
         {3, 0, 1},
         {300, 50, 72, 130},
         {1, 2, -1, 0},
         {1, 1, 0, 1}},
        {"only the title",
         {500, 1, 1, 1},
         {false, true, true, true},
         {0},
         {500, 72, 72, 118},
         {0, -1, -1, -1},
         {1, 0, 0, 0}},
        // An order the control could not give (fewer entries) leaves those columns without a place.
        {"no order", {300, 50, 60, 130}, {}, {}, {300, 50, 60, 130}, {-1, -1, -1, -1}, {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShownLayout shown;
        shown.splitterPosition = 210;
        shown.widths = c.widths;
        shown.hidden = c.hidden;
        shown.kindsInDisplayOrder = c.kindsInDisplayOrder;
        shown.rememberedRow = 17;
        shown.sortColumn = 3;
        shown.sortAscending = true;
        Record record = recordOf(shown);
        EXPECT_EQ(record.splitterPosition, 210);
        EXPECT_EQ(record.widths, c.expectedWidths);
        EXPECT_EQ(record.positions, c.expectedPositions);
        EXPECT_EQ(record.visible, c.expectedVisible);
        EXPECT_EQ(record.rememberedRow, 17);
        EXPECT_EQ(record.savedSortColumn, 3);
        EXPECT_EQ(record.savedSortAscending, 1);
    }
}

TEST(ViewStateRecord, LayoutOfAReadRecord) {
    Record record;
    record.splitterPosition = 333;
    record.widths = {0x10190, -1, 72, 118};  // widths beyond 16 bits keep their low 16
    record.visible = {0, 1, 0, 7};           // the Title is shown whatever was stored; any non-zero shows
    record.rememberedRow = 4;
    record.savedSortColumn = 1;
    record.savedSortAscending = 0;
    RestoredLayout layout = layoutOf(record);
    EXPECT_EQ(layout.splitterPosition, 333);
    EXPECT_EQ(layout.widths, (std::array<int, 4>{0x190, 0xFFFF, 72, 118}));
    EXPECT_EQ(layout.shown, (std::array<bool, 4>{true, true, false, true}));
    EXPECT_EQ(layout.rememberedRow, 4);
    EXPECT_EQ(layout.sortColumn, 1);
    EXPECT_FALSE(layout.sortAscending);
}

TEST(ViewStateRecord, ASavedLayoutComesBackThroughTheBytes) {
    ShownLayout shown;
    shown.splitterPosition = 90;
    shown.widths = {280, 40, 0, 150};
    shown.hidden = {false, false, true, false};
    shown.kindsInDisplayOrder = {1, 3, 0};
    shown.sortColumn = 0;
    shown.sortAscending = true;
    auto record = decode(encode(recordOf(shown)));
    ASSERT_TRUE(record);
    RestoredLayout layout = layoutOf(*record);
    EXPECT_EQ(layout.widths, (std::array<int, 4>{280, 40, 72, 150}));
    EXPECT_EQ(layout.shown, (std::array<bool, 4>{true, true, false, true}));
    // Link hidden, so Date is at index 2 once the columns are shown again.
    auto order = columnOrder(record->positions, {0, 1, -1, 2});
    ASSERT_TRUE(order);
    EXPECT_EQ(*order, (std::vector<int>{1, 2, 0}));
    EXPECT_TRUE(layout.sortAscending);
}

}  // namespace
}  // namespace corvane::viewstate
