#include "itempage/HtmlText.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(DecodeEntities, NamedReferences) {
    EXPECT_EQ(decodeEntities(u"&amp;&lt;&gt;&quot;&apos;&nbsp;&eacute;&yuml;"), u"&<>\"'\u00A0\u00E9\u00FF");
    EXPECT_EQ(decodeEntities(u"&euro;&mdash;&hellip;&thetasym;&lang;&Tab;&colon;"),
              u"\u20AC\u2014\u2026\u03D1\u27E8\t:");
    // Names are case-sensitive; unknown ones stay as written.
    EXPECT_EQ(decodeEntities(u"&Eacute;&EURO;&bogus;&;&"), u"\u00C9&EURO;&bogus;&;&");
}

TEST(DecodeEntities, LegacyNamesWithoutSemicolon) {
    EXPECT_EQ(decodeEntities(u"&copy 2003 &amp &lt&gt"), u"\u00A9 2003 & <>");
    // The longest legacy name at the start counts: "&notin;" is a name, "&notit;" is "&not" + "it;".
    EXPECT_EQ(decodeEntities(u"&notin; &notit; &copyright;"), u"\u2209 \u00ACit; \u00A9right;");
    // Names that need ";" are not read without it.
    EXPECT_EQ(decodeEntities(u"&euro &hellip"), u"&euro &hellip");
}

TEST(DecodeEntities, AttributesKeepLegacyNamesThatRunOn) {
    EXPECT_EQ(decodeEntities(u"?a=1&copy=2&amp;b&notx", HtmlTextContext::Attribute), u"?a=1&copy=2&b&notx");
    EXPECT_EQ(decodeEntities(u"?a=1&copy=2&notx", HtmlTextContext::Text), u"?a=1\u00A9=2\u00ACx");
    EXPECT_EQ(decodeEntities(u"&copy;&copy &copy", HtmlTextContext::Attribute), u"\u00A9\u00A9 \u00A9");
}

TEST(DecodeEntities, NumericReferences) {
    EXPECT_EQ(decodeEntities(u"&#106;&#x61;&#X76;&#0000097"), u"java");
    EXPECT_EQ(decodeEntities(u"&#x1D11E;"), u"\U0001D11E");
    EXPECT_EQ(decodeEntities(u"&#; &#x; &#xg;"), u"&#; &#x; &#xg;");
}

TEST(DecodeEntities, NumbersThatNameNoCharacter) {
    EXPECT_EQ(decodeEntities(u"&#0;&#xD800;&#xDFFF;&#x110000;&#99999999999999999999;"),
              u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    // 0x80 to 0x9F mean Windows-1252 characters, except the five that code page leaves empty.
    EXPECT_EQ(decodeEntities(u"&#128;&#x92;&#159;&#x81;"), u"\u20AC\u2019\u0178\u0081");
}

TEST(EscapeHtml, TextAndAttributes) {
    EXPECT_EQ(escapeHtmlText(u"a & b <c> \"d\" 'e'\r\n"), u"a &amp; b &lt;c&gt; \"d\" 'e'&#13;\n");
    EXPECT_EQ(escapeHtmlAttribute(u"a & b <c> \"d\" 'e' `f`"),
              u"a &amp; b &lt;c&gt; &quot;d&quot; &#39;e&#39; &#96;f&#96;");
    EXPECT_EQ(decodeEntities(escapeHtmlAttribute(u"&copy=\"'`<>"), HtmlTextContext::Attribute),
              u"&copy=\"'`<>");
}

}  // namespace
}  // namespace corvane
