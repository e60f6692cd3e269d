#include "itempage/WebLink.h"

#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace corvane {
namespace {

using namespace std::string_view_literals;

TEST(IsWebLink, OnlyHttpAndHttps) {
    const std::pair<std::u16string_view, bool> cases[] = {
        {u"http://example.com/", true},
        {u"https://example.com/a?b=c#d", true},
        {u"HTTP://EXAMPLE.COM/", true},
        {u"HtTpS://example.com/", true},
        {u"  \t http://example.com/ \r\n", true},
        {u"http://example.com/a b", true},
        {u"ht\ttp://example.com/", true},  // tabs and line breaks never count, as in a browser
        {u"", false},
        {u"   ", false},
        {u"example.com", false},
        {u"//example.com/", false},
        {u"/relative/path", false},
        {u"javascript:alert(1)", false},
        {u"JAVASCRIPT:alert(1)", false},
        {u"vbscript:msgbox(1)", false},
        {u"file:///c:/windows/system32/calc.exe", false},
        {u"mailto:me@example.com", false},
        {u"ftp://example.com/", false},
        {u"data:text/html,x", false},
        {u"\\\\server\\share", false},
        {u"c:\\windows\\notepad.exe", false},
        {u"http", false},
        {u"httpx://example.com/", false},
        {u"xhttp://example.com/", false},
        {u"ht tp://example.com/", false},
        {u"\u0445ttp://example.com/", false},  // Cyrillic letter that looks like "x"
        {u"http://exa\x01mple.com/", false},
        {u"http://example.com/\0x"sv, false},
        {u"http://example.com/\" --argument", false},
    };
    for (const auto& [url, expected] : cases)
        EXPECT_EQ(isWebLink(url), expected) << toUtf8(url);
}

TEST(NormalizeLink, TrimsEndsAndDropsLineBreaksInside) {
    EXPECT_EQ(normalizeLink(u" \x01http://a/\n b\t\r\n "), u"http://a/ b");
    EXPECT_EQ(normalizeLink(u"\t\n"), u"");
}

TEST(LinkScheme, LowerCaseOrNothing) {
    EXPECT_EQ(linkScheme(u" MailTo:x@y"), u"mailto");
    EXPECT_EQ(linkScheme(u"svn+ssh://h/"), u"svn+ssh");
    EXPECT_EQ(linkScheme(u"java\nscript:x"), u"javascript");
    EXPECT_EQ(linkScheme(u"java\x01script:x"), u"");
    EXPECT_EQ(linkScheme(u"1http:x"), u"");
    EXPECT_EQ(linkScheme(u":x"), u"");
    EXPECT_EQ(linkScheme(u"a/b:c"), u"");
}

}  // namespace
}  // namespace corvane
