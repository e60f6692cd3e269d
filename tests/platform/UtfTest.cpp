#include "platform/Utf.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(Utf, RoundTripsEveryPlane) {
    const std::u16string text = u"abc \u00E9\u00DF \u20AC \U0001D11E \U0010FFFF";
    EXPECT_EQ(toUtf8(text), "abc \xC3\xA9\xC3\x9F \xE2\x82\xAC \xF0\x9D\x84\x9E \xF4\x8F\xBF\xBF");
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
}

TEST(Utf, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(toUtf8(std::u16string{char16_t(0xD800), u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(toUtf8(std::u16string{u'x', char16_t(0xDC00)}), "x\xEF\xBF\xBD");
}

TEST(Utf, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(fromUtf8("a\xFFz"), u"a\uFFFDz");
    EXPECT_EQ(fromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");                      // overlong '/'
    EXPECT_EQ(fromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");            // encoded surrogate
    EXPECT_EQ(fromUtf8("\xE2\x82"), u"\uFFFD");                            // cut short
    EXPECT_EQ(fromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // beyond U+10FFFF
}

TEST(Utf, AppendingDecodesAfterTheTextThatIsThere) {
    const struct {
        const char16_t* before;
        const char* added;
        const char16_t* after;
    } cases[] = {
        {u"", "", u""},
        {u"ab", "", u"ab"},
        {u"", "plain ascii longer than sixteen bytes", u"plain ascii longer than sixteen bytes"},
        {u"caf", "\xC3\xA9 \xF0\x9D\x84\x9E", u"caf\u00E9 \U0001D11E"},
        {u"\u00E9", "a\xFFz\xE2\x82", u"\u00E9a\uFFFDz\uFFFD"},
    };
    for (const auto& c : cases) {
        std::u16string text = c.before;
        appendUtf8(text, c.added);
        EXPECT_EQ(text, c.after) << c.added;
    }
}

}  // namespace
}  // namespace corvane
