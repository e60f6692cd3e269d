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

}  // namespace
}  // namespace corvane::viewstate
