#include "platform/WideFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace corvane {
namespace {

TEST(FormatWide, TextOfBothWidths) {
    EXPECT_EQ(formatWide(u"RSS version = %s", std::u16string(u"2.0")), u"RSS version = 2.0");
    EXPECT_EQ(formatWide(u"%s and %S", u"wide \u00E9", "narrow \xC3\xA9"), u"wide \u00E9 and narrow \u00E9");
    EXPECT_EQ(formatWide(u"[%5s][%-5s][%.2s]", u"ab", u"ab", u"abcdef"), u"[   ab][ab   ][ab]");
    EXPECT_EQ(formatWide(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
}

TEST(FormatWide, IntegersFollowC) {
    EXPECT_EQ(formatWide(u"%d|%i|%u", -42, 7, 42u), u"-42|7|42");
    EXPECT_EQ(formatWide(u"%5d|%-5d|%05d|%+d|% d", 42, 42, -42, 42, 42), u"   42|42   |-0042|+42| 42");
    EXPECT_EQ(formatWide(u"%x|%X|%#x|%#X|%#x", 255, 255, 255, 255, 0), u"ff|FF|0xff|0XFF|0");
    EXPECT_EQ(formatWide(u"%.3d|%.0d|%08.3d", 5, 0, 5), u"005||     005");
    EXPECT_EQ(formatWide(u"%*d|%-*d|%.*d", 4, 1, 3, 2, 2, 3), u"   1|2  |03");
    EXPECT_EQ(formatWide(u"%lld|%I64d|%zu", int64_t{-9000000000}, int64_t{1} << 40, size_t{12}),
              u"-9000000000|1099511627776|12");
}

TEST(FormatWide, SignednessIsThatOfTheConversionAtTheArgumentsWidth) {
    // An HRESULT printed with %08X, and a negative 32-bit value with %x, as C prints them.
    EXPECT_EQ(formatWide(u"0x%08X", int32_t(0x80004005)), u"0x80004005");
    EXPECT_EQ(formatWide(u"%x", -1), u"ffffffff");
    EXPECT_EQ(formatWide(u"%d", 0x80004005u), u"-2147467259");
    EXPECT_EQ(formatWide(u"%hd|%hhu", 70000, 300), u"4464|44");
    EXPECT_EQ(formatWide(u"%d", uint16_t{65535}), u"65535");
    EXPECT_EQ(formatWide(u"%04d%02d%02d", uint16_t{2003}, uint16_t{6}, uint16_t{9}), u"20030609");
}

TEST(FormatWide, PercentAndPointers) {
    EXPECT_EQ(formatWide(u"100%%"), u"100%");
    // Some traces print a pointer with %d; it prints as its integer value.
    EXPECT_EQ(formatWide(u"pidl = %d", reinterpret_cast<const void*>(uintptr_t{1234})), u"pidl = 1234");
}

TEST(FormatWide, MismatchedFormatsStayHarmless) {
    EXPECT_EQ(formatWide(u"%d and %s"), u"%d and %s");
    EXPECT_EQ(formatWide(u"%d %d", 1), u"1 %d");
    EXPECT_EQ(formatWide(u"%n|%y|%", 1), u"%n|%y|%");
    // Conversions no format of ours uses are copied as written too.
    EXPECT_EQ(formatWide(u"%f|%c|%p|%o", 1, 2, 3, 4), u"%f|%c|%p|%o");
    EXPECT_EQ(formatWide(u"%d", u"text"), u"(?)");
    EXPECT_EQ(formatWide(u"%s", 5), u"(?)");
    EXPECT_EQ(formatWide(u"extra", 1, 2), u"extra");
}

TEST(FormatWide, CutToTheMaximumWithoutSplittingASurrogatePair) {
    const std::array<FormatArg, 1> args{FormatArg(u"abc\U0001D11E")};
    EXPECT_EQ(formatWideArgs(u"%s", args, 4), u"abc");
    EXPECT_EQ(formatWideArgs(u"%s", args, 5), u"abc\U0001D11E");
    EXPECT_EQ(formatWideArgs(u"%s%s", std::array<FormatArg, 2>{FormatArg(u"aa"), FormatArg(u"bb")}, 3),
              u"aab");
    EXPECT_EQ(formatWideArgs(std::u16string(5000, u'x'), {}, 2048).size(), 2048u);
}

}  // namespace
}  // namespace corvane
