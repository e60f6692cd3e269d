#include "feedstore/RSSItem.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(ParseDecimal, SkipsSpaceTakesOneSignAndStopsAtTheFirstOtherCharacter) {
    EXPECT_EQ(parseDecimal(u"3"), 3);
    EXPECT_EQ(parseDecimal(u" \t\n3"), 3);
    EXPECT_EQ(parseDecimal(u"12abc"), 12);
    EXPECT_EQ(parseDecimal(u"-7"), -7);
    EXPECT_EQ(parseDecimal(u"+7"), 7);
    EXPECT_EQ(parseDecimal(u"abc"), 0);
    EXPECT_EQ(parseDecimal(u""), 0);
    EXPECT_EQ(parseDecimal(u"+-3"), 0);
    EXPECT_EQ(parseDecimal(u"3 4"), 3);
}

TEST(ParseDecimal, SaturatesBeyond32Bits) {
    EXPECT_EQ(parseDecimal(u"2147483647"), 2147483647);
    EXPECT_EQ(parseDecimal(u"99999999999999999999"), 2147483647);
    EXPECT_EQ(parseDecimal(u"-2147483648"), -2147483647 - 1);
    EXPECT_EQ(parseDecimal(u"-99999999999"), -2147483647 - 1);
}

}  // namespace
}  // namespace corvane
