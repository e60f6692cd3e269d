#include "view/CellText.h"

#include <gtest/gtest.h>

#include <string>

#include "feedstore/RSSDatabase.h"

namespace corvane::messagelist {
namespace {

TEST(CellText, OnlyTheDateAndTheNotConfiguredTitleAreWhole) {
    struct Case {
        bool configured;
        int kind;
        bool whole;
    };
    const Case cases[] = {
        {true, kColumnTitle, false}, {true, kColumnDescription, false}, {true, kColumnLink, false},
        {true, kColumnDate, true},   {false, kColumnTitle, true},       {false, kColumnDescription, false},
        {false, kColumnDate, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cellIsWhole(c.configured, c.kind), c.whole) << c.configured << " " << c.kind;
}

TEST(CellText, CutsToTheBufferWithoutSplittingASurrogatePair) {
    // U+1F600 as its two UTF-16 halves.
    const std::u16string face = u"\U0001F600";
    struct Case {
        std::u16string text;
        int capacity;
        bool whole;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"abcdefghijklmnop", 15, false, u"abcde"},  // ten characters of the buffer stay free
        {u"abc", 15, false, u"abc"},
        {u"abcdefghijklmnop", 10, false, u""},
        {u"abcdefghijklmnop", 0, false, u""},
        {u"abcdefghijklmnop", -5, false, u""},
        {u"2026-12-09 23:59:59", 20, true, u"2026-12-09 23:59:59"},  // whole: all but the terminator
        {u"2026-12-09 23:59:59", 10, true, u"2026-12-0"},
        {u"abcd" + face, 16, false, u"abcd" + face},  // the pair ends exactly at the cut
        {u"abcd" + face + u"x", 15, false, u"abcd"},  // the cut falls between the halves
        {u"a" + face, 2, true, u"a"},
        {face, 2, true, u""},
        {face + face, 4, true, face},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "capacity " << c.capacity << (c.whole ? " whole" : " cut"));
        EXPECT_EQ(cellTextLength(c.text, c.capacity, c.whole), c.expected.size());
        if (c.capacity <= 0) continue;
        std::u16string buffer(static_cast<size_t>(c.capacity), u'#');
        copyCellText(c.text, buffer.data(), c.capacity, c.whole);
        EXPECT_EQ(std::u16string(buffer.c_str()), c.expected);
    }
}

TEST(CellText, NoBufferTakesNothing) {
    copyCellText(u"text", nullptr, 20, false);
    char16_t one = u'#';
    copyCellText(u"text", &one, 1, true);
    EXPECT_EQ(one, u'\0');
}

}  // namespace
}  // namespace corvane::messagelist
