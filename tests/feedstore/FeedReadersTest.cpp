#include "feedstore/FeedReaders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "feedstore/FeedUpdate.h"
#include "feedstore/ItemId.h"
#include "feedstore/XmlAccess.h"
#include "platform/Utf.h"

namespace corvane {
namespace {

constexpr char16_t kFeedUrl[] = u"http://127.0.0.1/blog/feed.xml";

std::span<const uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

struct Read {
    FeedFormat format = FeedFormat::Unknown;
    FeedChannel channel;
};

Read readStream(const std::string& document) {
    Read read;
    std::unique_ptr<xml::StreamReader> reader = xml::openStreamReader(bytesOf(document));
    EXPECT_TRUE(reader);
    if (reader) read.format = readFeedStream(*reader, kFeedUrl, read.channel);
    return read;
}

// The fields a reader fills, as the page and the store see them.
struct Fields {
    std::string title, link, description, content, author, guid, pubDate, enclosure;
};

Fields readFieldsOf(const RSSItem& item) {
    return {toUtf8(item.title),
            toUtf8(item.link),
            toUtf8(item.description),
            toUtf8(item.content),
            toUtf8(item.author),
            toUtf8(item.guid),
            toUtf8(item.pubDate),
            item.enclosure ? toUtf8(item.enclosure->url) + " " + std::to_string(item.enclosure->length) +
                                 " " + toUtf8(item.enclosure->type)
                           : ""};
}

void expectFields(const RSSItem& item, const Fields& want, const std::string& where) {
    const Fields got = readFieldsOf(item);
    EXPECT_EQ(got.title, want.title) << where;
    EXPECT_EQ(got.link, want.link) << where;
    EXPECT_EQ(got.description, want.description) << where;
    EXPECT_EQ(got.content, want.content) << where;
    EXPECT_EQ(got.author, want.author) << where;
    EXPECT_EQ(got.guid, want.guid) << where;
    EXPECT_EQ(got.pubDate, want.pubDate) << where;
    EXPECT_EQ(got.enclosure, want.enclosure) << where;
}

struct ItemCase {
    const char* name;
    std::string document;
    Fields item;
};

void runTable(FeedFormat format, const std::vector<ItemCase>& cases) {
    for (const ItemCase& c : cases) {
        Read read = readStream(c.document);
        EXPECT_EQ(read.format, format) << c.name;
        ASSERT_EQ(read.channel.items.size(), 1u) << c.name;
        expectFields(*read.channel.items[0], c.item, c.name);
    }
}

std::string rss(const std::string& item) {
    return "<rss version=\"2.0\" xmlns:content=\"http://purl.org/rss/1.0/modules/content/\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel><title>Blog</title>"
           "<link>http://127.0.0.1/blog/</link><description>d</description><item>" +
           item + "</item></channel></rss>";
}

TEST(RssReader, Fields) {
    runTable(
        FeedFormat::Rss,
        {{"plain",
          rss("<title>T</title><link>http://h/p</link><description>&lt;b&gt;d&lt;/b&gt;</description>"
              "<guid>g</guid><author>a@h (A)</author><pubDate>Wed, 09 Dec 2026 10:15:30 GMT</pubDate>"
              "<enclosure url=\"http://h/e.mp3\" length=\"12\" type=\"audio/mpeg\"/>"),
          {"T", "http://h/p", "<b>d</b>", "", "a@h (A)", "g", "Wed, 09 Dec 2026 10:15:30 GMT",
           "http://h/e.mp3 12 audio/mpeg"}},
         {"content:encoded in CDATA, dc fields stand in",
          rss("<title>T</title><description>teaser</description>"
              "<content:encoded><![CDATA[<p>whole <a href=\"/x\">text</a></p>]]></content:encoded>"
              "<dc:creator>Ann</dc:creator><dc:date>2026-12-09T10:15:30+01:00</dc:date>"),
          {"T", "", "teaser", "<p>whole <a href=\"http://127.0.0.1/x\">text</a></p>", "Ann", "",
           "Wed, 09 Dec 2026 10:15:30 +0100", ""}},
         {"author and pubDate win over dc",
          rss("<author>A</author><dc:creator>B</dc:creator><pubDate>Wed, 09 Dec 2026 10:15:30 GMT</pubDate>"
              "<dc:date>2020-01-01</dc:date>"),
          {"", "", "", "", "A", "", "Wed, 09 Dec 2026 10:15:30 GMT", ""}},
         {"namespace by URI, not prefix",
          "<rss xmlns:c=\"http://purl.org/rss/1.0/modules/content/\" xmlns:content=\"urn:other\"><channel>"
          "<item><content:encoded>no</content:encoded><c:encoded>yes</c:encoded></item></channel></rss>",
          {"", "", "", "yes", "", "", "", ""}},
         {"ISO pubDate stored in RFC 822 form",
          rss("<pubDate>2026-12-09T10:15:30Z</pubDate>"),
          {"", "", "", "", "", "", "Wed, 09 Dec 2026 10:15:30 +0000", ""}},
         {"first of each field counts",
          rss("<title>one</title><title>two</title><link>a</link><link>b</link>"),
          {"one", "http://127.0.0.1/blog/a", "", "", "", "", "", ""}}});
}

TEST(RssReader, IdsAreMadeAsEverFromWhatTheFeedWrote) {
    // A relative link and an ISO date: stored resolved and in RFC 822 form, but the id is the one
    // every earlier version gave the same item, so it never comes back as new.
    Read read = readStream(
        rss("<guid>g</guid><title>T</title><link>p.html</link><pubDate>2026-12-09T10:15:30Z</pubDate>"));
    ASSERT_EQ(read.channel.items.size(), 1u);
    const RSSItem& item = *read.channel.items[0];
    EXPECT_EQ(item.link, u"http://127.0.0.1/blog/p.html");
    EXPECT_TRUE(item.hasDate);
    EXPECT_EQ(item.id, makeItemId(u"g", nullptr, u"T", u"p.html"));
}

TEST(RssReader, ChannelFields) {
    Read read = readStream(rss(""));
    EXPECT_EQ(read.channel.title, u"Blog");
    EXPECT_EQ(read.channel.link, u"http://127.0.0.1/blog/");
    EXPECT_EQ(read.channel.description, u"d");
}

std::string rdf(const std::string& items, const std::string& prefix = "rdf") {
    return "<" + prefix + ":RDF xmlns:" + prefix +
           "=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" xmlns=\"http://purl.org/rss/1.0/\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
           "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\">"
           "<channel " +
           prefix +
           ":about=\"http://j/\"><title>Journal</title><link>http://j/</link>"
           "<description>Issues</description><items/></channel>" +
           items + "</" + prefix + ":RDF>";
}

TEST(Rss10Reader, Fields) {
    runTable(FeedFormat::Rdf,
             {{"journal item",
               rdf("<item rdf:about=\"http://j/a/1\"><title>Paper</title><link>http://j/a/1</link>"
                   "<description>Abstract</description><dc:date>2026-12-09</dc:date><dc:creator>B. "
                   "Author</dc:creator>"
                   "<content:encoded>&lt;p&gt;Full&lt;/p&gt;</content:encoded></item>"),
               {"Paper", "http://j/a/1", "Abstract", "<p>Full</p>", "B. Author", "http://j/a/1",
                "Wed, 09 Dec 2026 00:00:00 +0000", ""}},
              {"other prefix for rdf",
               rdf("<item r:about=\"x\"><title>T</title></item>", "r"),
               {"T", "", "", "", "", "x", "", ""}}});
    Read read = readStream(rdf(""));
    EXPECT_EQ(read.channel.title, u"Journal");
    EXPECT_EQ(read.channel.description, u"Issues");
}

std::string atom(const std::string& entry, const std::string& feed = "") {
    return "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:media=\"http://search.yahoo.com/mrss/\">"
           "<title type=\"html\">Code &amp;lt;host&amp;gt;</title><subtitle>Changes</subtitle>"
           "<link rel=\"self\" href=\"http://127.0.0.1/self\"/><link href=\"/repo\"/><id>urn:f</id>" +
           feed + "<entry>" + entry + "</entry></feed>";
}

TEST(AtomReader, TextConstructs) {
    runTable(
        FeedFormat::Atom10,
        {{"text is escaped",
          atom("<summary>a &lt; b &amp; c</summary><content type=\"text\">x&lt;y</content>"),
          {"", "", "a &lt; b &amp; c", "x&lt;y", "", "", "", ""}},
         {"html is markup",
          atom("<summary type=\"html\">&lt;b&gt;bold&lt;/b&gt;</summary>"),
          {"", "", "<b>bold</b>", "", "", "", "", ""}},
         {"xhtml is the div's inner markup",
          atom("<content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\"><p class=\"c\">One "
               "&amp; <b>two</b><br/></p></div></content>"),
          {"", "", "", "<p class=\"c\">One &amp; <b>two</b><br/></p>", "", "", "", ""}},
         {"html title is text",
          atom("<title type=\"html\">A &amp;amp; &lt;i&gt;B&lt;/i&gt;</title>"),
          {"A & B", "", "", "", "", "", "", ""}},
         {"xhtml title is its text",
          atom("<title type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">A <b>B</b></div></title>"),
          {"A B", "", "", "", "", "", "", ""}}});
}

TEST(AtomReader, EntryFields) {
    runTable(
        FeedFormat::Atom10,
        {{"code host entry",
          atom("<id>tag:h,2026:1</id><title>Commit</title><link rel=\"alternate\" type=\"text/html\" "
               "href=\"/repo/commit/1\"/><updated>2026-12-09T10:15:30Z</updated>"
               "<author><name>Dev</name><email>d@h</email></author>"),
          {"Commit", "http://127.0.0.1/repo/commit/1", "", "", "Dev (d@h)", "tag:h,2026:1",
           "Wed, 09 Dec 2026 10:15:30 +0000", ""}},
         {"published wins, link without rel is alternate, enclosure",
          atom("<link href=\"v\"/><link rel=\"enclosure\" href=\"m.mp4\" length=\"99\" type=\"video/mp4\"/>"
               "<published>2026-12-08T00:00:00-02:00</published><updated>2026-12-09T00:00:00Z</updated>"),
          {"", "http://127.0.0.1/blog/v", "", "", "", "", "Tue, 08 Dec 2026 00:00:00 -0200",
           "http://127.0.0.1/blog/m.mp4 99 video/mp4"}},
         {"author from source, email alone",
          atom("<source><author><email>s@h</email></author></source>"),
          {"", "", "", "", "s@h", "", "", ""}},
         {"feed author after the entries",
          "<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry/><author><name>F</name></author></feed>",
          {"", "", "", "", "F", "", "", ""}},
         {"out-of-line content is linked",
          atom("<content src=\"doc.pdf\" type=\"application/pdf\"/>"),
          {"", "http://127.0.0.1/blog/doc.pdf", "",
           "<p><a href=\"http://127.0.0.1/blog/doc.pdf\">http://127.0.0.1/blog/doc.pdf</a></p>", "", "", "",
           ""}}});
    Read read = readStream(atom(""));
    EXPECT_EQ(read.channel.title, u"Code <host>");
    EXPECT_EQ(read.channel.description, u"Changes");
    EXPECT_EQ(read.channel.link, u"http://127.0.0.1/repo");
}

TEST(AtomReader, Atom03) {
    const std::string head =
        "<feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\"><title>Old</title>"
        "<tagline>Tag</tagline><link rel=\"alternate\" type=\"text/html\" href=\"http://o/\"/>"
        "<author><name>Feed</name></author><entry>";
    runTable(
        FeedFormat::Atom03,
        {{"base64 html",
          head +
              "<title>T</title><id>i</id><issued>2026-12-09T10:15:30Z</issued><modified>2027-01-01</modified>"
              "<content type=\"text/html\" mode=\"base64\">PHA+SGk8L3A+</content></entry></feed>",
          {"T", "", "", "<p>Hi</p>", "Feed", "i", "Wed, 09 Dec 2026 10:15:30 +0000", ""}},
         {"escaped html and modified",
          head + "<summary type=\"text/html\" mode=\"escaped\">&lt;i&gt;s&lt;/i&gt;</summary>"
                 "<modified>2027-01-01</modified></entry></feed>",
          {"", "", "<i>s</i>", "", "Feed", "", "Fri, 01 Jan 2027 00:00:00 +0000", ""}},
         {"xml mode",
          head + "<content type=\"application/xhtml+xml\"><p xmlns=\"http://www.w3.org/1999/xhtml\">x</p>"
                 "</content></entry></feed>",
          {"", "", "", "<p>x</p>", "Feed", "", "", ""}},
         {"base64 text",
          head + "<content mode=\"base64\">YSA8IGI=</content></entry></feed>",
          {"", "", "", "a &lt; b", "Feed", "", "", ""}}});
    Read read = readStream(head + "</entry></feed>");
    EXPECT_EQ(read.channel.description, u"Tag");
}

TEST(FeedReaders, NestedXmlBase) {
    runTable(
        FeedFormat::Atom10,
        {{"entry and link bases nest",
          "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:base=\"http://b/root/\">"
          "<entry xml:base=\"entries/\"><link xml:base=\"deep/\" href=\"p.html\"/>"
          "<content type=\"html\" xml:base=\"/c/\">&lt;img src=\"i.png\"&gt;</content></entry></feed>",
          {"", "http://b/root/entries/deep/p.html", "", "<img src=\"http://b/c/i.png\">", "", "", "", ""}}});
    runTable(FeedFormat::Rdf, {{"rdf field bases",
                                rdf("<item xml:base=\"http://b/i/\"><link xml:base=\"l/\">p</link>"
                                    "<description xml:base=\"d/\">&lt;a href=\"x\"&gt;</description></item>"),
                                {"", "http://b/i/l/p", "<a href=\"http://b/i/d/x\">", "", "", "", "", ""}}});
    std::string channelBase = rdf("");
    channelBase.replace(channelBase.find("<link>http://j/</link>"), 22,
                        "<link xml:base=\"http://o/\">c</link>");
    Read read = readStream(channelBase);
    EXPECT_EQ(read.channel.link, u"http://o/c");
    runTable(FeedFormat::Rss, {{"rss item base",
                                "<rss><channel xml:base=\"http://b/x/\"><item xml:base=\"y/\"><link>z</link>"
                                "<enclosure url=\"../e\" length=\"1\" type=\"t\"/></item></channel></rss>",
                                {"", "http://b/x/y/z", "", "", "", "", "", "http://b/x/e 1 t"}}});
}

// The root names the format by its namespace; anything else is no feed.
TEST(FeedReaders, FormatByRootAndNamespace) {
    const struct {
        std::string document;
        FeedFormat format;
    } cases[] = {
        {"<rss/>", FeedFormat::Rss},
        {"<a:feed xmlns:a=\"http://www.w3.org/2005/Atom\"/>", FeedFormat::Atom10},
        {"<feed xmlns=\"http://purl.org/atom/ns#\"/>", FeedFormat::Atom03},
        {"<x:RDF xmlns:x=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/>", FeedFormat::Rdf},
        {"<feed/>", FeedFormat::Unknown},
        {"<feed xmlns=\"http://www.w3.org/2005/Atom/\"/>", FeedFormat::Unknown},
        {"<rss xmlns=\"http://example.com/\"/>", FeedFormat::Unknown},
        {"<RDF/>", FeedFormat::Unknown},
        {"<opml version=\"2.0\"><body/></opml>", FeedFormat::Unknown},
        {"<html><head><title>x</title></head></html>", FeedFormat::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readStream(c.document).format, c.format) << c.document;
}

// What goes wrong in a document ends the update as not RSS and changes nothing, in every format.
TEST(FeedReaders, HostileDocumentsChangeNothing) {
    const std::string bomb =
        "<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>";
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<d>";
    const std::string bodies[] = {
        atom("<title>&c;</title>"),
        rdf("<item><title>&c;</title></item>"),
        rss("<title>&c;</title>"),
    };
    std::vector<std::string> documents;
    for (const std::string& body : bodies) {
        documents.push_back(bomb + body);
        documents.push_back(body.substr(0, body.size() - 12));        // cut off
        documents.push_back(body.substr(0, body.size() / 2) + deep);  // deep nesting
        documents.push_back(body.substr(0, body.find("<item") + 1) + "\xC3\x28" +
                            body.substr(body.find("<item") + 1));
        std::string badUtf8 = body;
        badUtf8.replace(badUtf8.find("&c;"), 3, "\xFF\xFE");
        documents.push_back(badUtf8);
        std::string undefinedEntity = body;
        undefinedEntity.replace(undefinedEntity.find("&c;"), 3, "&nope;");
        documents.push_back(undefinedEntity);
    }
    for (const std::string& document : documents) {
        FeedFetch fetch;
        readFeedDocument(bytesOf(document), kFeedUrl, fetch);
        EXPECT_TRUE(fetch.notRss) << document.substr(0, 120);
        EXPECT_TRUE(fetch.items.empty()) << document.substr(0, 120);
        EXPECT_FALSE(fetch.title) << document.substr(0, 120);
    }
}

// The document model's read of an RSS feed stays the reference: the one-pass read gives the same
// items for the same bytes, on both builds.
// A filter sees every item once, in document order, with the id the unfiltered read gives it; the
// items it keeps are read exactly as without it (links in markup resolved), the others left out.
TEST(FeedReaders, AFilterLeavesOutWhatItRefusesAndChangesNothingOfTheRest) {
    for (const char* name :
         {"blog-rss.xml", "code-host-atom.xml", "journal-rdf.xml", "video-atom.xml", "xml-base-atom.xml"}) {
        std::ifstream file(std::string(CORVANE_TEST_DATA) + "/feeds/" + name, std::ios::binary);
        const std::string document((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(document.empty()) << name;
        const Read whole = readStream(document);
        ASSERT_FALSE(whole.channel.items.empty()) << name;

        std::vector<std::u16string> offered;
        const FeedItemFilter everyOther = [&](const RSSItem& item) {
            offered.push_back(item.id);
            return offered.size() % 2 == 0;
        };
        Read filtered;
        std::unique_ptr<xml::StreamReader> reader = xml::openStreamReader(bytesOf(document));
        ASSERT_TRUE(reader);
        filtered.format = readFeedStream(*reader, kFeedUrl, filtered.channel, {}, everyOther);
        EXPECT_EQ(filtered.format, whole.format) << name;
        EXPECT_EQ(filtered.channel.title, whole.channel.title) << name;
        ASSERT_EQ(offered.size(), whole.channel.items.size()) << name;
        ASSERT_EQ(filtered.channel.items.size(), whole.channel.items.size() / 2) << name;
        for (size_t i = 0; i < whole.channel.items.size(); ++i) {
            EXPECT_EQ(offered[i], whole.channel.items[i]->id) << name << " " << i;
            if (i % 2 == 0) continue;
            const RSSItem& kept = *filtered.channel.items[i / 2];
            expectFields(kept, readFieldsOf(*whole.channel.items[i]),
                         std::string(name) + " " + std::to_string(i));
            EXPECT_EQ(kept.id, whole.channel.items[i]->id) << name;
        }
    }
}

TEST(FeedReaders, RssReadMatchesTheDocumentRead) {
    const std::string documents[] = {
        rss("<title> T </title><link>http://h/p</link><description>&lt;b&gt;d&lt;/b&gt; &amp; "
            "more</description>"
            "<guid isPermaLink=\"false\">g</guid><author>a</author><pubDate>Tue, 10 Jun 2003 04:00:00 "
            "EST</pubDate>"
            "<enclosure url=\"http://h/e\" length=\"x\" type=\"t\"/><corvane_label>3</corvane_label>"),
        rss("<title><![CDATA[<T>]]></title><description>one<!-- c "
            "-->two</description><pubDate>junk</pubDate>"),
        rss("<corvane_id>fixed</corvane_id><title>\xC3\xA9t\xC3\xA9 \xF0\x9F\x93\xB0</title>"),
        // Whitespace as the document model's text has it: ends trimmed but never into CDATA, runs
        // between pieces one space.
        rss("<title><![CDATA[ spaced ]]></title><guid>\n  <![CDATA[g]]>\n</guid><author>\n <b>one</b>\n "
            "<i>two</i> "
            "</author><description> a <![CDATA[ b ]]> </description>"),
        "<rss><channel><title>a</title></channel><channel><title>b</title><item><title>2</title></item></"
        "channel>"
        "<item><title>outside</title></item></rss>",
    };
    for (const std::string& document : documents) {
        Read read = readStream(document);
        xml::DocumentPtr dom = xml::createDocument();
        ASSERT_TRUE(xml::loadXmlStream(*dom, bytesOf(document), kFeedUrl));
        xml::NodePtr root = xml::selectElement(*dom, u"rss");
        ASSERT_TRUE(root);
        std::vector<xml::NodePtr> nodes = xml::selectNodes(*root, u"channel/item");
        ASSERT_EQ(read.channel.items.size(), nodes.size()) << document;
        for (size_t i = 0; i < nodes.size(); ++i) {
            std::unique_ptr<RSSItem> reference = readItem(*nodes[i]);
            const RSSItem& item = *read.channel.items[i];
            expectFields(item, readFieldsOf(*reference), document);
            EXPECT_EQ(item.id, reference->id) << document;
            EXPECT_EQ(item.label, reference->label) << document;
            EXPECT_EQ(item.hasDate, reference->hasDate) << document;
            if (item.hasDate) {
                EXPECT_EQ(item.publishedTime, reference->publishedTime) << document;
            }
        }
        EXPECT_EQ(read.channel.title.value_or(u"-"),
                  xml::nodeText(xml::selectNode(*root, u"channel/title").get()));
    }
}

}  // namespace
}  // namespace corvane
