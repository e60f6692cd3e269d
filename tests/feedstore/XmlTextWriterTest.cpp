#include "feedstore/XmlTextWriter.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "feedstore/XmlAccess.h"
#include "platform/Utf.h"

namespace corvane {
namespace {

// Where two long texts first differ, for a failure message that stays short.
std::string firstDifference(const std::u16string& got, const std::u16string& expected) {
    size_t i = 0;
    while (i < got.size() && i < expected.size() && got[i] == expected[i])
        ++i;
    if (i == got.size() && i == expected.size()) return "";
    char text[96];
    std::snprintf(text, sizeof text, "at %zu: U+%04X instead of U+%04X", i,
                  i < got.size() ? unsigned(got[i]) : 0u, i < expected.size() ? unsigned(expected[i]) : 0u);
    return text;
}

struct EscapeCase {
    std::u16string value;
    const char* content;
    const char* attribute;
};

std::string contentOf(std::u16string_view value) {
    XmlTextWriter out(0);
    out.text(value);
    return std::string(out.bytes());
}

std::string attributeOf(std::u16string_view value) {
    XmlTextWriter out(0);
    out.attribute(value);
    return std::string(out.bytes());
}

TEST(XmlTextWriter, EscapesMarkupAndKeepsWhitespaceAsAParseGivesItBack) {
    const std::vector<EscapeCase> cases = {
        {u"plain text", "plain text", "plain text"},
        {u"a & b < c > d", "a &amp; b &lt; c &gt; d", "a &amp; b &lt; c &gt; d"},
        {u"\"q\" 'a' ]]>", "\"q\" 'a' ]]&gt;", "&quot;q&quot; 'a' ]]&gt;"},
        {u"&amp;", "&amp;amp;", "&amp;amp;"},
        {u"tab\tline\nend", "tab\tline\nend", "tab&#9;line&#10;end"},
        {u"cr\r crlf\r\n", "cr&#13; crlf&#13;\n", "cr&#13; crlf&#13;&#10;"},
        {u"", "", ""},
    };
    for (const EscapeCase& c : cases) {
        EXPECT_EQ(contentOf(c.value), c.content) << toUtf8(c.value);
        EXPECT_EQ(attributeOf(c.value), c.attribute) << toUtf8(c.value);
    }
}

TEST(XmlTextWriter, WritesUtf8AndReplacesWhatXmlCannotCarry) {
    const std::vector<std::pair<std::u16string, const char*>> cases = {
        {u"\u00E9\u00A0\u0085\u2028\u007F\uFFFD\uFFFC",
         "\xC3\xA9\xC2\xA0\xC2\x85\xE2\x80\xA8\x7F\xEF\xBF\xBD\xEF\xBF\xBC"},
        {u"\U0001D11E \U0010FFFF", "\xF0\x9D\x84\x9E \xF4\x8F\xBF\xBF"},
        {std::u16string(u"a") + char16_t(0) + u"b",
         "a\xEF\xBF\xBD"
         "b"},
        {u"\x01\x08\x0B\x0C\x0E\x1F",
         "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {u"\uFFFE\uFFFF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {u"a\xD800", "a\xEF\xBF\xBD"},
        {u"\xDC00z", "\xEF\xBF\xBDz"},
        {u"\xD800\xD800\xDC00", "\xEF\xBF\xBD\xF0\x90\x80\x80"},
    };
    for (const auto& [value, bytes] : cases) {
        EXPECT_EQ(contentOf(value), bytes) << toUtf8(value);
        EXPECT_EQ(attributeOf(value), bytes) << toUtf8(value);
    }
}

TEST(XmlTextWriter, DecimalsAndGrowthBeyondTheExpectedSize) {
    XmlTextWriter out(1);
    out.markup("<a n=\"");
    out.decimal(INT_MIN);
    out.markup("\" m=\"");
    out.decimal(0);
    out.markup("\">");
    const std::u16string longText(100000, u'&');
    out.text(longText);
    out.decimal(INT_MAX);
    out.markup("</a>");
    std::string expected = "<a n=\"-2147483648\" m=\"0\">";
    for (size_t i = 0; i < longText.size(); ++i)
        expected += "&amp;";
    EXPECT_EQ(out.bytes(), expected + "2147483647</a>");
}

// Plain runs are copied several units at a time: a unit that needs escaping or encoding is found
// wherever it stands in a run, the units around it kept.
TEST(XmlTextWriter, EscapesAUnitAtEveryPlaceOfALongRun) {
    const struct {
        char16_t unit;
        const char* content;
        const char* attribute;
    } units[] = {
        {u'&', "&amp;", "&amp;"},
        {u'<', "&lt;", "&lt;"},
        {u'>', "&gt;", "&gt;"},
        {u'"', "\"", "&quot;"},
        {u'\t', "\t", "&#9;"},
        {u'\n', "\n", "&#10;"},
        {u'\r', "&#13;", "&#13;"},
        {0x1F, "\xEF\xBF\xBD", "\xEF\xBF\xBD"},
        {0x7F, "\x7F", "\x7F"},
        {0xE9, "\xC3\xA9", "\xC3\xA9"},
        {0x8000, "\xE8\x80\x80", "\xE8\x80\x80"},
        {0xFFFE, "\xEF\xBF\xBD", "\xEF\xBF\xBD"},
    };
    for (const auto& u : units) {
        for (size_t at = 0; at < 20; ++at) {
            std::u16string text(23, u'a');
            text[at] = u.unit;
            const std::string before(at, 'a');
            const std::string after(22 - at, 'a');
            EXPECT_EQ(contentOf(text), before + u.content + after) << int(u.unit) << " at " << at;
            EXPECT_EQ(attributeOf(text), before + u.attribute + after) << int(u.unit) << " at " << at;
        }
    }
}

// Every unit of the BMP and beyond, in content and in an attribute, parses back as written, but for
// the units that cannot be carried at all, which read back as U+FFFD.
TEST(XmlTextWriter, EveryCharacterSurvivesAParse) {
    std::u16string all;
    std::u16string expected;
    for (char32_t c = 1; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        all += static_cast<char16_t>(c);
        const bool carried = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c < 0xFFFE);
        expected += carried ? static_cast<char16_t>(c) : u'\uFFFD';
    }
    all += u"\U00010000\U0010FFFF\xDBFF";
    expected += u"\U00010000\U0010FFFF\uFFFD";
    // Kept from the ends, where a node's text is trimmed.
    all = u"<" + all + u">";
    expected = u"<" + expected + u">";

    XmlTextWriter out(16);
    out.markup("<r a=\"");
    out.attribute(all);
    out.markup("\">");
    out.text(all);
    out.markup("</r>");
    xml::DocumentPtr document = xml::createDocument();
    const std::string_view bytes = out.bytes();
    ASSERT_TRUE(document->loadBytes({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}));
    xml::NodePtr root = xml::selectElement(*document, u"r");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(firstDifference(root->text(), expected), "");
    EXPECT_EQ(firstDifference(xml::getAttributeText(*root, u"a", u""), expected), "");
}

}  // namespace
}  // namespace corvane
