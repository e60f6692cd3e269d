#include "feedstore/PlainXmlReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feedstore/ItemStream.h"
#include "feedstore/RSSObject.h"
#include "feedstore/XmlAccess.h"
#include "feedstore/XmlTextWriter.h"
#include "platform/Utf.h"
#include "support/TempFolder.h"

// The plain reader of our own files, held to the document read, which stays the reference.
namespace corvane {
namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

// Every stored field of the items, as the store's writer puts them: two lists are the same when these are.
std::string storedText(const RSSItemList& items) {
    XmlTextWriter out(1024);
    for (const auto& item : items)
        writeItemText(out, *item);
    return std::string(out.bytes());
}

RSSItemList documentRead(const std::string& document) {
    RSSItemList items;
    xml::DocumentPtr parsed = xml::loadXmlText(fromUtf8(document));
    readItemsFromXml(*parsed, items);
    return items;
}

// The items the plain reader gives for the document, or why it gave none.
std::string plainRead(const std::string& document, RSSItemList& items) {
    std::unique_ptr<xml::StreamReader> reader = xml::openPlainXmlReader(document);
    try {
        return readItemsFromStream(*reader, items) == ItemStreamResult::Read ? "read" : "not a store";
    } catch (const xml::NotPlainXml&) {
        return "not plain";
    }
}

std::string store(const std::string& items) {
    return kDeclaration + "<rss version=\"2.0\"><channel>" + items + "</channel></rss>\n";
}

TEST(PlainXmlReader, ReadsWhatTheDocumentReadGivesForStoresInOurShape) {
    const std::string documents[] = {
        store(""),
        kDeclaration + "<rss version=\"2.0\"><channel/></rss>",
        store("<item><title>  padded \t</title><link>l</link><corvane_label>3</corvane_label></item>"),
        // The predefined and numeric references, a character beyond the BMP written both ways.
        store("<item><title>a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos; &#13;&#x9;&#233;&#x1F600;"
              "\xF0\x9F\x98\x80</title><corvane_unread>1</corvane_unread></item>"),
        // Attribute values: tabs and line feeds become spaces, references stay what they name.
        store("<item><enclosure type='a\tb' url=\"x&#10;y\nz &amp; &#9;\" length=\" 12\"/></item>"),
        // Whitespace between elements, unknown elements and a second field of one name passed over.
        store("\n  <item>\n <title>first</title>\n <title>second</title><extra a=\"1\"><x>y</x></extra>"
              "<description/><guid>g</guid><pubDate>Tue, 10 Jun 2003 04:00:00 GMT</pubDate></item>\n"),
        kDeclaration +
            "<rss><other><item><title>not in a channel</title></item></other>"
            "<channel><item><title>1</title></item></channel>"
            "<channel><item><title>2</title></item></channel></rss>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss><channel><item><title>]] > ]></title></item>"
        "</channel></rss>  \n",
        // The room after the root, empty, spaces, and with a cut-off extension's markup and text in it.
        store("<item><title>1</title></item>") + "<?corvane-room?>",
        store("<item><title>1</title></item>") + "<?corvane-room   ?>\n  \n<?other x?>",
        store("<item><title>1</title></item>") +
            "<?corvane-room  <item><title>caf\xC3\xA9 &amp; ]]> <b></title></item></channel></rss>\n"
            "<?corvane-room  ?>\n ",
    };
    for (const std::string& document : documents) {
        SCOPED_TRACE(document);
        RSSItemList plain;
        ASSERT_EQ(plainRead(document, plain), "read");
        EXPECT_EQ(storedText(plain), storedText(documentRead(document)));
    }
}

// What the plain reader does not read, well-formed or not, is left to the general readers.
TEST(PlainXmlReader, LeavesEverythingOutsideOurShapeToTheGeneralReaders) {
    const std::string item = "<item><title>t</title></item>";
    const std::string cases[] = {
        "\xEF\xBB\xBF" + store(item),                            // a byte-order mark
        "<?xml version=\"1.0\"?><rss><channel/></rss>",          // another declaration
        "<rss><channel/></rss>",                                 // none
        kDeclaration + "<!DOCTYPE rss><rss><channel/></rss>",    // a DOCTYPE
        store("<!-- a comment -->" + item),                      // a comment
        store("<item><title><![CDATA[t]]></title></item>"),      // CDATA
        kDeclaration + "<?pi here?><rss><channel/></rss>",       // an instruction before the root
        store(item + "<?pi here?>"),                             // an instruction in the root
        store(item) + "<?xml here?>",                            // a reserved instruction name
        store(item) + "<?corvane-room?",                         // a cut-off instruction
        store(item) + "<?corvane-room a\x01 ?>",                 // a control character in one
        store(item) + "<?corvane-room \xC0\xAF ?>",              // malformed UTF-8 in one
        store("<item><title>a\r\nb</title></item>"),             // a carriage return
        store("<item><title>a\x01</title></item>"),              // a control character
        store("<item><title>\xC0\xAF</title></item>"),           // an overlong sequence
        store("<item><title>\xED\xA0\x80</title></item>"),       // a surrogate
        store("<item><title>\xEF\xBF\xBE</title></item>"),       // U+FFFE
        store("<item><title>\xE4\xB8</title></item>"),           // a cut-off sequence
        store("<item><title>a ]]> b</title></item>"),            // "]]>" in text
        store("<item><title>&nbsp;</title></item>"),             // an undeclared entity
        store("<item><title>&#0;</title></item>"),               // a reference to no character
        store("<item><title>a & b</title></item>"),              // a bare ampersand
        store("<item><dc:title>t</dc:title></item>"),            // a prefix
        kDeclaration + "<rss xmlns=\"urn:x\"><channel/></rss>",  // a namespace
        store("<item><enclosure url=\"a\" url=\"b\"/></item>"),  // an attribute twice
        store("<item><enclosure url=\"a<b\"/></item>"),          // '<' in an attribute
        store("<item><titel>t</title></item>"),                  // mismatched tags
        store("<item><t\xC3\xADtle>t</t\xC3\xADtle></item>"),    // a name outside ASCII
        kDeclaration + "<rss><channel>" + item,                  // cut off
        store(item) + "text after the root",                     //
        store(item) + "<rss/>",                                  // a second root
    };
    for (const std::string& document : cases) {
        SCOPED_TRACE(document);
        RSSItemList plain;
        EXPECT_EQ(plainRead(document, plain), "not plain");
        EXPECT_TRUE(plain.empty());
    }
}

// A store larger than a read of the file, with characters of two to four bytes and references at
// every offset so that some straddle the reads, and one field longer than a read.
TEST(PlainXmlReader, StoreFilesAcrossReadBoundariesLoadAsTheDocumentReadsThem) {
    std::string items;
    for (int i = 0; i < 3000; ++i)
        items += "<item><title>" + std::string(i % 7, 'a') + "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80&amp;" +
                 std::string(i % 3, ' ') + "</title><description>" + std::string(i % 11 + 40, 'd') +
                 "&lt;p&gt;</description><enclosure url=\"" + std::string(i % 5, 'u') +
                 "\xE4\xB8\xAD\" length=\"1\" type=\"t\"/><corvane_id>" + std::to_string(i) +
                 "</corvane_id></item>";
    std::string longText;
    while (longText.size() < 700 * 1024)
        longText += "\xE4\xB8\xAD\xC3\xA9";
    items += "<item><description>" + longText + "</description></item>";
    const std::string document = store(items);
    ASSERT_GT(document.size(), 1000u * 1024);

    testing::TempFolder folder;
    folder.write("rssitems.xml", document);
    std::unique_ptr<xml::StreamReader> reader = xml::openPlainXmlReader(folder.file("rssitems.xml"));
    ASSERT_TRUE(reader);
    RSSItemList plain;
    ASSERT_EQ(readItemsFromStream(*reader, plain), ItemStreamResult::Read);
    const RSSItemList reference = documentRead(document);
    ASSERT_EQ(plain.size(), 3001u);
    EXPECT_EQ(storedText(plain), storedText(reference));
    EXPECT_EQ(storedText(loadStoredItems(folder.file("rssitems.xml")).items), storedText(reference));
}

// A store the plain reader leaves alone is still read whole, and one cut off is still refused.
TEST(PlainXmlReader, StoresOutsideOurShapeStillLoadAsBefore) {
    testing::TempFolder folder;
    folder.write("rssitems.xml", store("<!-- kept --><item><title>t</title></item>"));
    StoredItems loaded = loadStoredItems(folder.file("rssitems.xml"));
    EXPECT_EQ(loaded.state, StoreFileState::Read);
    ASSERT_EQ(loaded.items.size(), 1u);
    EXPECT_EQ(loaded.items[0]->title, u"t");

    folder.write("rssitems.xml", kDeclaration + "<rss><channel><item><title>t</title></item>");
    loaded = loadStoredItems(folder.file("rssitems.xml"));
    EXPECT_EQ(loaded.state, StoreFileState::Unreadable);
    EXPECT_TRUE(loaded.items.empty());
}

std::string settingsText(const RSSObject& feed) {
    std::string text = toUtf8(feed.title + u"|" + feed.link + u"|" + feed.description + u"|" + feed.url);
    for (const RSSParam& param : feed.params)
        text += "|" + toUtf8(param.name) + "=" + toUtf8(param.value);
    for (std::u16string_view id : feed.identity)
        text += "|" + toUtf8(id);
    return text;
}

// Ids of every shape among the plain ones a list is read quickly by, and enough of them to cross
// the parts the file is read in.
std::string mixedIdentity() {
    std::string ids =
        "<identity>\n<id>b</id> <id>a&amp;b</id><id>\u00e9</id><id></id><id/><id>z</id >"
        "<id>y</id><other><id>x</id></other><id>q</id>\t<id>p</id><id> s </id>";
    for (int i = 0; i < 12000; ++i) {
        std::string id = "id" + std::to_string(100000 + i) + "+/=";
        if (i % 997 == 0) id += "&lt;";
        if (i % 1499 == 0) id = "0" + id;  // sorts before the ones read so far
        ids += "<id>" + id + "</id>";
    }
    return ids + "</identity>";
}

TEST(PlainXmlReader, SettingsReadAsTheDocumentReadsThem) {
    const std::string documents[] = {
        kDeclaration + "<corvane><title>t</title>" + mixedIdentity() + "<url>u</url></corvane>",
        kDeclaration +
            "<corvane version=\"1.0\"><title> T &amp; t </title><link>l</link><description/>"
            "<url>http://h/f?a=1&amp;b=2</url><param name=\"etag\" value=\"&quot;x&quot;\"/>"
            "<param name=\"n\"/><identity><id>b</id><id>a</id><id> c </id></identity></corvane>",
        // Later fields of one name, a second identity and unknown elements are passed over; ids
        // appended after the sorted ones are read all the same.
        kDeclaration +
            "<corvane>\n <title>first</title><title>second</title><other><id>x</id></other>\n"
            " <identity><id>a</id><id>c</id><id>b</id><skip/></identity><identity><id>z</id>"
            "</identity></corvane>\n",
        kDeclaration + "<corvane/>",
    };
    for (const std::string& document : documents) {
        SCOPED_TRACE(document);
        testing::TempFolder folder;
        folder.write("corvane.xml", document);
        std::unique_ptr<RSSObject> feed =
            loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
        ASSERT_TRUE(feed);
        EXPECT_EQ(feed->settingsState, StoreFileState::Read);
        xml::DocumentPtr parsed = xml::loadXmlText(fromUtf8(document));
        EXPECT_EQ(settingsText(*feed), settingsText(*RSSObject::serializeSettingsFromXml(*parsed)));
    }
}

}  // namespace
}  // namespace corvane
