#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "feedstore/FeedStoreError.h"
#include "feedstore/ItemStream.h"
#include "feedstore/RSSObject.h"
#include "feedstore/XmlAccess.h"
#include "platform/Utf.h"
#include "support/TempFolder.h"

// The one-pass store read against the document read it replaces, which stays the reference.
namespace corvane {
namespace {

using namespace std::string_literals;

// Wine maps the Unix root to drive Z:.
std::u16string nativePath(std::string path) {
#ifdef _WIN32
    if (path.starts_with("/")) path = "Z:" + path;
#endif
    return fromUtf8(path);
}

// Today's read: the document model, then "rss" / "channel/item"; a raised error leaves nothing.
RSSItemList documentRead(std::u16string_view path) {
    RSSItemList items;
    try {
        xml::DocumentPtr document = xml::loadXmlFile(path, true, false);
        readItemsFromXml(*document, items);
    } catch (const FeedStoreError&) {
        items.clear();
    }
    return items;
}

ItemStreamResult streamRead(std::u16string_view path, RSSItemList& items) {
    std::unique_ptr<xml::StreamReader> reader = xml::openStreamReader(path);
    if (!reader) throw FeedStoreError(kStatusFail, u"no reader");
    return readItemsFromStream(*reader, items);
}

void expectSameText(const std::u16string& read, const std::u16string& expected, const char* field) {
    EXPECT_EQ(read, expected) << field << ": \"" << toUtf8(read) << "\" instead of \"" << toUtf8(expected)
                              << "\"";
}

void expectSameItems(const RSSItemList& read, const RSSItemList& expected) {
    ASSERT_EQ(read.size(), expected.size());
    for (size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const RSSItem& a = *read[i];
        const RSSItem& b = *expected[i];
        expectSameText(a.title, b.title, "title");
        expectSameText(a.link, b.link, "link");
        expectSameText(a.description, b.description, "description");
        expectSameText(a.pubDate, b.pubDate, "pubDate");
        expectSameText(a.author, b.author, "author");
        expectSameText(a.guid, b.guid, "guid");
        expectSameText(a.content, b.content, "content");
        expectSameText(a.id, b.id, "id");
        EXPECT_EQ(a.label, b.label);
        EXPECT_EQ(a.unread, b.unread);
        EXPECT_EQ(a.hasDate, b.hasDate);
        if (a.hasDate && b.hasDate) {
            EXPECT_EQ(a.publishedTime, b.publishedTime);
            EXPECT_EQ(a.publishedFileTime, b.publishedFileTime);
        }
        ASSERT_EQ(a.enclosure != nullptr, b.enclosure != nullptr);
        if (a.enclosure) {
            expectSameText(a.enclosure->url, b.enclosure->url, "enclosure url");
            EXPECT_EQ(a.enclosure->length, b.enclosure->length);
            expectSameText(a.enclosure->type, b.enclosure->type, "enclosure type");
        }
    }
}

// What loading the store now gives must be what the document read gave, whichever way it went.
void expectLoadMatchesDocumentRead(std::u16string_view path) {
    StoredItems loaded = loadStoredItems(path);
    expectSameItems(loaded.items, documentRead(path));
}

TEST(ItemStream, EveryFixtureLoadsAsTheDocumentReadsIt) {
    const std::filesystem::path data(CORVANE_TEST_DATA);
    std::vector<std::filesystem::path> fixtures;
    for (const auto& folder : {data / "xml", data / "cli", data / ".." / ".." / "samples"})
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".xml") fixtures.push_back(entry.path());
    ASSERT_GE(fixtures.size(), 9u);
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.string());
        expectLoadMatchesDocumentRead(nativePath(fixture.string()));
    }
}

constexpr ItemStreamResult Read = ItemStreamResult::Read;
constexpr ItemStreamResult NoRss = ItemStreamResult::NoRss;
constexpr ItemStreamResult Document = ItemStreamResult::NeedsDocument;

// Our writer puts a carriage return as a character reference, and a tab or line feed too when it is
// in an attribute.
std::u16string withoutReferences(std::u16string text, bool attribute) {
    std::erase(text, u'\r');
    if (attribute)
        std::replace_if(
            text.begin(), text.end(), [](char16_t c) { return c == u'\t' || c == u'\n'; }, u' ');
    return text;
}

// Items in every form our writer produces, with everything the writer has to escape or replace.
RSSItemList everyFieldForm(bool withReferences) {
    const std::u16string texts[] = {
        u"",
        u"plain",
        u"  padded both ends \t",
        u"\r\nstarts with a line end, ends with one\r\n",
        u"cr\r crlf\r\n tab\t lf\n \"quotes\" 'single' & <b>markup</b> ]]> &amp;",
        u"non-BMP \U0001F600 \U0001D11E and BMP \u00E9\u4E2D",
        u"uncarriable \x01 nul \x00 nc \xFFFE lone \xD800 end"s,
        u"\uFFFD replacement as written",
        u" \r\n\t ",
    };
    const int32_t lengths[] = {0, -1, INT32_MIN, INT32_MAX, 12};
    const int32_t labels[] = {0, 5, -7, 99, INT32_MIN};
    RSSItemList items;
    int n = 0;
    for (const std::u16string& written : texts) {
        const std::u16string text = withReferences ? written : withoutReferences(written, false);
        const std::u16string attribute = withReferences ? written : withoutReferences(written, true);
        for (int variant = 0; variant < 3; ++variant, ++n) {
            auto item = std::make_unique<RSSItem>();
            item->title = variant == 0 ? text : u"T" + text + u"T";
            item->link = text;
            item->description = variant == 1 ? u"<p>" + text + u"</p>" : text;
            item->author = text;
            item->guid = variant == 2 ? std::u16string() : u"g" + text;
            item->pubDate = variant == 0 ? u"Tue, 10 Jun 2003 04:00:00 GMT"
                                         : (variant == 1 ? u" Sat, 29 Feb 2020 23:59:59 +1400 " : text);
            // Stored ids kept as written, and empty ones the read computes.
            if (variant != 1) item->id = variant == 0 ? u"kept+/=" + text : std::u16string();
            item->label = labels[n % 5];
            if (n % 2 == 0) {
                item->enclosure = std::make_unique<RSSEnclosure>();
                item->enclosure->url = attribute;
                item->enclosure->length = lengths[n % 5];
                item->enclosure->type = u"a/b" + attribute;
            }
            items.push_back(std::move(item));
        }
    }
    return items;
}

// Our stores end in their room. Without the references that the Windows reader leaves to the
// document read, both builds stream them.
TEST(ItemStream, StoresOurWriterMakesAreReadInOnePassAsTheDocumentReadsThem) {
    for (const bool withReferences : {false, true}) {
        SCOPED_TRACE(withReferences ? "with references" : "without references");
        testing::TempFolder folder;
        auto feed = loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
        feed->initializeItems();
        feed->items = everyFieldForm(withReferences);
        ASSERT_TRUE(feed->storeItems());

        RSSItemList streamed;
        const ItemStreamResult result = streamRead(folder.file("rssitems.xml"), streamed);
#ifdef _WIN32
        const ItemStreamResult expected = withReferences ? Document : Read;
#else
        const ItemStreamResult expected = Read;
#endif
        EXPECT_EQ(result, expected);
        if (result != Read) streamed = std::move(loadStoredItems(folder.file("rssitems.xml")).items);
        const RSSItemList reference = documentRead(folder.file("rssitems.xml"));
        ASSERT_EQ(reference.size(), feed->items.size());
        expectSameItems(streamed, reference);
    }
}

// Characters of two, three and four bytes at every offset, so some straddle each read of the file;
// and a field longer than a read without one ASCII byte.
TEST(ItemStream, MultibyteTextAcrossReadBoundariesLoadsAsTheDocumentReadsIt) {
    testing::TempFolder folder;
    std::string store = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>";
    for (int i = 0; i < 600; ++i)
        store += "<item><title>" + std::string(i % 7, 'a') +
                 "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80</title>"
                 "<enclosure url=\"" +
                 std::string(i % 5, 'u') +
                 "\xE4\xB8\xAD\xC3\xA9\" length=\"1\" type=\"t\"/>"
                 "<corvane_id>" +
                 std::to_string(i) + "</corvane_id></item>";
    folder.write("rssitems.xml", store + "</channel></rss>\n");
    RSSItemList streamed;
    EXPECT_EQ(streamRead(folder.file("rssitems.xml"), streamed), ItemStreamResult::Read);
    expectSameItems(streamed, documentRead(folder.file("rssitems.xml")));

    std::string wide;
    for (int i = 0; i < 12000; ++i)
        wide += "\xE4\xB8\xAD";
    folder.write("rssitems.xml", "<rss><channel><item><title>" + wide + "</title></item></channel></rss>");
    expectLoadMatchesDocumentRead(folder.file("rssitems.xml"));
    ASSERT_EQ(loadStoredItems(folder.file("rssitems.xml")).items.size(), 1u);
}

struct HandMade {
    const char* name;
    std::string body;  // the document after the XML declaration
    ItemStreamResult expected;
    // The Windows reader leaves more to the document read: see XmlByteScreen.
    ItemStreamResult expectedOnWindows;
};

const HandMade kHandMade[] = {
    {"missing and empty fields",
     "<rss><channel><item/><item><title/><link></link><corvane_id/></item>"
     "<item><guid>g</guid></item></channel></rss>",
     Read, Read},
    {"whitespace-only and padded fields",
     "<rss>\n <channel>\n  <item>\n   <title> \n\t </title>\n   <guid>\r\n  g  \r\n</guid>\n"
     "   <corvane_id>   </corvane_id>\n  </item>\n </channel>\n</rss>\n",
     Read, Read},
    {"references at the ends of a field",
     "<rss><channel><item><title>&#13;&#10; x "
     "&#32;&#9;</title><description>&#32;&lt;p&gt;&#x20;</description>"
     "<author>&amp;&#xD;</author></item></channel></rss>",
     Read, Document},
    {"first of a name counts, others are ignored",
     "<rss xmlns:dc=\"urn:dc\"><channel><item><title>one</title><title>two</title><dc:title>three</dc:title>"
     "<corvane_label> 3</corvane_label><corvane_label>4</corvane_label><other><title>no</title></other>"
     "<enclosure url=\"u1\"/><enclosure url=\"u2\" length=\"5\"/><item><title>nested</title></item></item>"
     "</channel><item><title>outside a channel</title></item><channel><item><title>second channel</title>"
     "</item></channel></rss>",
     Read, Read},
    {"odd labels and lengths",
     "<rss><channel><item><corvane_label>abc</corvane_label><enclosure length=\"12abc\"/></item>"
     "<item><corvane_label>-2</corvane_label><enclosure url=\"\" length=\" +7\" type=\"t\"/></item>"
     "<item><corvane_label>99999999999</corvane_label><enclosure length=\"-99999999999\"/></item>"
     "</channel></rss>",
     Read, Read},
    {"unread marks: only 1 marks, the first counts, none is read",
     "<rss><channel><item><corvane_unread>1</corvane_unread></item><item><corvane_unread> 1 </corvane_unread>"
     "<corvane_unread>0</corvane_unread></item><item><corvane_unread>0</corvane_unread></item>"
     "<item><corvane_unread>yes</corvane_unread></item><item><corvane_unread>2</corvane_unread></item>"
     "<item><corvane_unread/></item><item><title>older version</title></item></channel></rss>",
     Read, Read},
    {"attribute values with references and line ends",
     "<rss><channel><item><enclosure url=\"a&amp;b&#9;c&#10;d&#13;e &lt;&quot;\" type=\"x\ty\nz\r\nw\"/>"
     "</item></channel></rss>",
     Read, Document},
    {"comments and instructions between fields",
     "<!-- before --><?pi x?><rss><channel><!--c--><item><!--c--><title>t</title><?pi?><link>l</link>"
     "</item></channel></rss><!-- after -->",
     Read, Document},
    {"non-BMP characters written and referenced",
     "<rss><channel><item><title>\xF0\x9F\x98\x80 &#x1F600; &#128512;</title></item></channel></rss>", Read,
     Document},
    {"room after the root, holding a killed writer's messages",
     "<rss><channel><item><title>t</title></item></channel></rss>\n<?corvane-room <item><title>lost</title>"
     "</item></channel></rss>\n   ?>\n",
     Read, Read},
    {"no channel, or an empty root", "<rss version=\"2.0\"><item><title>x</title></item></rss>", Read, Read},
    {"empty root", "<rss/>", Read, Read},
    {"another root", "<feed><channel><item><title>x</title></item></channel></feed>", NoRss, NoRss},
    {"markup inside a field",
     "<rss><channel><item><description>a <b>bold</b>&#10;<i>x</i> end</description></item></channel></rss>",
     Document, Document},
    {"CDATA inside a field",
     "<rss><channel><item><title>t</title><description> <![CDATA[ <p>x</p> ]]>&#10;</description></item>"
     "</channel></rss>",
     Document, Document},
    {"a comment inside a field",
     "<rss><channel><item><title>a&#32;<!--c-->&#32;b</title></item></channel></rss>", Document, Document},
    {"xml:space", "<rss><channel><item xml:space=\"preserve\"><title> t </title></item></channel></rss>",
     Document, Document},
    {"an internal entity",
     "<!DOCTYPE rss [<!ENTITY e \"entity text\">]><rss><channel><item><title>&e; x</title></item></channel>"
     "</rss>",
     Document, Document},
};

TEST(ItemStream, HandMadeStoresLoadAsTheDocumentReadsThem) {
    testing::TempFolder folder;
    for (const HandMade& store : kHandMade) {
        SCOPED_TRACE(store.name);
        folder.write("rssitems.xml", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + store.body);
        RSSItemList streamed;
#ifdef _WIN32
        const ItemStreamResult expected = store.expectedOnWindows;
#else
        const ItemStreamResult expected = store.expected;
#endif
        EXPECT_EQ(streamRead(folder.file("rssitems.xml"), streamed), expected);
        if (expected != ItemStreamResult::Read) {
            EXPECT_TRUE(streamed.empty());
        }
        expectLoadMatchesDocumentRead(folder.file("rssitems.xml"));
    }
}

TEST(ItemStream, ByteOrderMarkAndCrLfFileAreRead) {
    testing::TempFolder folder;
    folder.write("rssitems.xml",
                 "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<rss>\r\n<channel>\r\n<item>"
                 "<title>a\r\nb\rc</title><link>\r\n l \r\n</link></item>\r\n</channel>\r\n</rss>\r\n");
    RSSItemList streamed;
    ASSERT_EQ(streamRead(folder.file("rssitems.xml"), streamed), ItemStreamResult::Read);
    ASSERT_EQ(streamed.size(), 1u);
    EXPECT_EQ(streamed[0]->title, u"a\nb\nc");
    expectLoadMatchesDocumentRead(folder.file("rssitems.xml"));
}

// A store that breaks partway gives no item at all, however many came before the break.
TEST(ItemStream, StoreThatIsNotWellFormedGivesNoItems) {
    std::string good = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss><channel>";
    for (int i = 0; i < 300; ++i)
        good += "<item><title>item " + std::to_string(i) + "</title><corvane_id>" + std::to_string(i) +
                "</corvane_id></item>";
    const std::string broken[] = {
        good,                                                    // cut off
        good + "<item><title>\n\n\n\n",                          // cut off in whitespace
        good + "<item><title>x</titel></item></channel></rss>",  // mismatched tag
        good + "</channel></rss><rss/>",                         // a second root
        good + "<item><title>&undefined;</title></item></channel></rss>",
        good + "<item><title>\xC3\x28</title></item></channel></rss>",  // bad UTF-8
    };
    testing::TempFolder folder;
    for (const std::string& bytes : broken) {
        folder.write("rssitems.xml", bytes);
        // The reader either says so or leaves the file to the document read.
        RSSItemList streamed;
        try {
            EXPECT_EQ(streamRead(folder.file("rssitems.xml"), streamed), ItemStreamResult::NeedsDocument);
        } catch (const FeedStoreError&) {
        }
        EXPECT_TRUE(streamed.empty());
        StoredItems loaded = loadStoredItems(folder.file("rssitems.xml"));
        EXPECT_TRUE(loaded.items.empty());
        EXPECT_EQ(loaded.state, StoreFileState::Unreadable);
    }
}

TEST(ItemStream, MissingStoreGivesNoReader) {
    testing::TempFolder folder;
    EXPECT_EQ(xml::openStreamReader(folder.file("rssitems.xml")), nullptr);
    StoredItems loaded = loadStoredItems(folder.file("rssitems.xml"));
    EXPECT_TRUE(loaded.items.empty());
    EXPECT_EQ(loaded.state, StoreFileState::Missing);
}

}  // namespace
}  // namespace corvane
