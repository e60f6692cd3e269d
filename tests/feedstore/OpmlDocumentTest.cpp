#include "feedstore/OpmlDocument.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Utf.h"

namespace corvane::opml {
namespace {

std::span<const uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

OpmlReadResult read(const std::string& text) {
    return readOpml(bytesOf(text));
}

std::string opmlWith(const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<opml version=\"2.0\"><head><title>Subs</title></head><body>" + body +
           "</body></opml>";
}

TEST(ReadOpml, RefusesWhatIsNoSubscriptionListWithAReason) {
    const std::string bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE opml [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;\">]><opml><body><outline text=\"&c;\" "
        "xmlUrl=\"http://x/\"/></body></opml>";
    std::string deep;
    for (int i = 0; i < 70; ++i)
        deep += "<outline text=\"g\">";
    deep += "<outline text=\"f\" xmlUrl=\"http://x/\"/>";
    for (int i = 0; i < 70; ++i)
        deep += "</outline>";
    struct Case {
        const char* what;
        std::string document;
        const char16_t* reason;
    } cases[] = {
        {"empty", "", u"not well-formed XML"},
        {"text", "subscriptions: http://example.com/feed", u"not well-formed XML"},
        {"cut off", opmlWith("<outline text=\"a\" xmlUrl=\"http://x/\">").substr(0, 90),
         u"not well-formed XML"},
        {"another document", "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel/></rss>", u"not OPML"},
        {"no body", "<opml version=\"1.0\"><head/></opml>", u"without a \"body\""},
        {"entity bomb", bomb, u"could expand without bound"},
        {"nested too deep", opmlWith(deep), u"nested more than 64 deep"},
    };
    for (const Case& c : cases) {
        OpmlReadResult result = read(c.document);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_NE(result.error.find(c.reason), std::u16string::npos)
            << c.what << ": " << toUtf8(result.error);
        EXPECT_TRUE(result.outlines.empty()) << c.what;
    }
    std::string huge(kMaxOpmlBytes + 1, ' ');
    EXPECT_NE(read(huge).error.find(u"larger than 16 MB"), std::u16string::npos);
}

TEST(ReadOpml, ReadsFeedsAndGroupsOfBothVersions) {
    const std::string version1 =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<opml "
        "version=\"1.0\"><head><title>Old</title></head><body>"
        "<outline text=\"Caf\xE9\" type=\"rss\" xmlurl=\" http://a.example/rss \"/>"
        "<outline title=\"Group\"><outline text=\"T\" title=\"Title wins\" type=\"atom\" "
        "xmlUrl=\"https://b/\""
        " htmlUrl=\"https://b/home\"/><outline text=\"note, no feed\"/></outline></body></opml>";
    OpmlReadResult result = read(version1);
    ASSERT_TRUE(result.ok) << toUtf8(result.error);
    EXPECT_EQ(result.title, u"Old");
    ASSERT_EQ(result.outlines.size(), 2u);
    EXPECT_EQ(result.outlines[0].title, u"Caf\u00e9");
    EXPECT_EQ(result.outlines[0].xmlUrl, u"http://a.example/rss");
    EXPECT_EQ(result.outlines[0].type, u"rss");
    const Outline& group = result.outlines[1];
    EXPECT_FALSE(group.isFeed());
    EXPECT_EQ(group.title, u"Group");
    ASSERT_EQ(group.children.size(), 2u);
    EXPECT_EQ(group.children[0].title, u"Title wins");
    EXPECT_EQ(group.children[0].htmlUrl, u"https://b/home");
    EXPECT_FALSE(group.children[1].isFeed());
}

TEST(ReadOpml, TakesTenThousandOutlines) {
    std::string body;
    for (int i = 0; i < 10000; ++i)
        body += "<outline text=\"Feed " + std::to_string(i) + "\" xmlUrl=\"http://127.0.0.1/" +
                std::to_string(i) + "\"/>\n";
    OpmlReadResult result = read(opmlWith(body));
    ASSERT_TRUE(result.ok) << toUtf8(result.error);
    ASSERT_EQ(result.outlines.size(), 10000u);
    EXPECT_EQ(result.outlines[9999].xmlUrl, u"http://127.0.0.1/9999");
}

TEST(WriteOpml, WhatIsWrittenReadsBackTheSame) {
    std::vector<Outline> outlines(2);
    outlines[0].title = u"Quotes \" & <angles> \u00e9 \U0001F600";
    outlines[0].xmlUrl = u"http://a/?x=1&y=2";
    outlines[0].htmlUrl = u"http://a/";
    outlines[1].title = u"Group\ttab";
    outlines[1].children.resize(1);
    outlines[1].children[0].title = u"Inner";
    outlines[1].children[0].xmlUrl = u"https://b/feed";
    std::string document = writeOpml(u"Mine & yours", outlines);
    EXPECT_NE(document.find("<opml version=\"2.0\">"), std::string::npos);
    EXPECT_NE(document.find("type=\"rss\""), std::string::npos);
    OpmlReadResult result = read(document);
    ASSERT_TRUE(result.ok) << toUtf8(result.error);
    EXPECT_EQ(result.title, u"Mine & yours");
    ASSERT_EQ(result.outlines.size(), 2u);
    EXPECT_EQ(result.outlines[0].title, outlines[0].title);
    EXPECT_EQ(result.outlines[0].xmlUrl, outlines[0].xmlUrl);
    EXPECT_EQ(result.outlines[0].htmlUrl, outlines[0].htmlUrl);
    EXPECT_EQ(result.outlines[1].title, outlines[1].title);
    ASSERT_EQ(result.outlines[1].children.size(), 1u);
    EXPECT_EQ(result.outlines[1].children[0].xmlUrl, u"https://b/feed");
}

}  // namespace
}  // namespace corvane::opml
