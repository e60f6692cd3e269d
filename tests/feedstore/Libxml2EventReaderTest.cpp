// The event reader of documents in memory against libxml2's text reader: for the same bytes, cut
// into chunks of any size, both hand out the same nodes with the same names, attributes and values,
// and both refuse what is not well-formed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "StreamTranscript.h"
#include "feedstore/FeedReaders.h"
#include "feedstore/FeedStoreError.h"
#include "feedstore/libxml2/Libxml2Readers.h"

namespace corvane::xml {
namespace {

std::string treeTranscript(const std::string& document) {
    std::unique_ptr<StreamReader> reader = openTreeStreamReader(bytesOf(document));
    return reader ? transcript(*reader) : "no reader\n";
}

std::string eventTranscript(const std::string& document, size_t chunk) {
    std::unique_ptr<StreamReader> reader = openEventStreamReader(bytesOf(document), chunk);
    return reader ? transcript(*reader) : "no reader\n";
}

// What a feed may hold that the two could read differently.
const std::string kDocuments[] = {
    // Adjacent character data is one node; a comment or an element parts it.
    "<r>a &amp; b &#x20AC;<![CDATA[c]]><![CDATA[d]]>e<!--c-->  <?pi x?>\n f</r>",
    // "<a/>" is empty, "<a></a>" has an end; a prefix bound to nothing stays in the name.
    "<r xmlns:p='urn:x'><a/><a></a><a> </a><p:b p:a='1' a='2'/><q:c q:d='3'/></r>",
    // Attribute values: references, the ampersand among them, and whitespace normalised.
    "<r><a href='x?a=1&amp;b=2&#38;c&lt;&gt;&quot;&apos;&#x41;' title='t\n\tu' xml:base='http://h/d/'/></r>",
    // Namespaces redeclared and undeclared, xml:base nested.
    "<feed xmlns='http://www.w3.org/2005/Atom' xml:base='http://h/'><entry xml:base='e/'>"
    "<link href='l'/><content type='xhtml'><div xmlns='http://www.w3.org/1999/xhtml'><p>x</p></div>"
    "</content></entry><x:y xmlns:x='urn:x' xmlns=''><z/></x:y></feed>",
    // Other encodings, and a byte-order mark.
    "<?xml version='1.0' encoding='ISO-8859-1'?><r t='\xE9'>caf\xE9</r>",
    "<?xml version='1.0' encoding='windows-1252'?><r>\x80 \x93q\x94</r>",
    "\xEF\xBB\xBF<r>bom</r>",
    std::string("\xFF\xFE<\0r\0>\0\xE9\0<\0/\0r\0>\0", 18),
    // A byte the declared encoding cannot decode after the root, which the parser notes on its
    // input alone when it has the whole document at once.
    "<?xml version='1.0' encoding='utf-7'?>\n<r a='p'/> \xFCwins",
    // A DOCTYPE: neither goes further.
    "<!DOCTYPE r [<!ENTITY e 'x'>]><r>&e;</r>",
    "<!DOCTYPE rss><rss/>",
    // Not well-formed: both refuse.
    "<r><a></r>",
    "<r>&nope;</r>",
    "<r a='1' a='2'/>",
    "<r>\xC3</r>",
    "<r/><r/>",
    "<r>",
    "",
    "   ",
    "<r>]]></r>",
};

TEST(Libxml2EventReader, HandsOutWhatTheTextReaderHandsOutForTheCorpus) {
    for (const std::filesystem::path& path : corpus()) {
        const std::string document = fileText(path);
        const std::string reference = treeTranscript(document);
        for (size_t chunk : {size_t{1}, size_t{3}, size_t{64}, size_t{64 * 1024}})
            EXPECT_EQ(eventTranscript(document, chunk), reference) << path << " in chunks of " << chunk;
    }
}

TEST(Libxml2EventReader, HandsOutWhatTheTextReaderHandsOutForEdgeCases) {
    for (const std::string& document : kDocuments) {
        const std::string reference = treeTranscript(document);
        for (size_t chunk : {size_t{1}, size_t{2}, size_t{5}, size_t{64 * 1024}})
            EXPECT_EQ(eventTranscript(document, chunk), reference) << document << " in chunks of " << chunk;
    }
}

// Every chunk size, so that a chunk ends at every byte of a feed in every phase.
TEST(Libxml2EventReader, AnyChunkSizeGivesTheSameNodes) {
    for (const char* name : {"blog-rss.xml", "xml-base-atom.xml"}) {
        const std::string document = fileText(std::string(CORVANE_TEST_DATA) + "/feeds/" + name);
        ASSERT_FALSE(document.empty()) << name;
        const std::string reference = treeTranscript(document);
        ASSERT_NE(reference.find("end\n"), std::string::npos) << name;
        for (size_t chunk = 1; chunk <= document.size(); ++chunk)
            ASSERT_EQ(eventTranscript(document, chunk), reference) << name << " in chunks of " << chunk;
    }
}

// The feed readers over both give the same channel and items.
TEST(Libxml2EventReader, FeedReadersGiveTheSameItemsOverBoth) {
    for (const std::filesystem::path& path : corpus()) {
        const std::string document = fileText(path);
        FeedChannel viaTree, viaEvents;
        FeedFormat treeFormat = FeedFormat::Unknown, eventFormat = FeedFormat::Unknown;
        try {
            treeFormat = readFeedStream(*openTreeStreamReader(bytesOf(document)), u"http://h/f", viaTree);
        } catch (...) {
            treeFormat = FeedFormat::Unknown;
        }
        try {
            eventFormat =
                readFeedStream(*openEventStreamReader(bytesOf(document), 7), u"http://h/f", viaEvents);
        } catch (...) {
            eventFormat = FeedFormat::Unknown;
        }
        ASSERT_EQ(eventFormat, treeFormat) << path;
        EXPECT_EQ(viaEvents.title, viaTree.title) << path;
        EXPECT_EQ(viaEvents.link, viaTree.link) << path;
        EXPECT_EQ(viaEvents.description, viaTree.description) << path;
        ASSERT_EQ(viaEvents.items.size(), viaTree.items.size()) << path;
        for (size_t i = 0; i < viaTree.items.size(); ++i) {
            const RSSItem& a = *viaTree.items[i];
            const RSSItem& b = *viaEvents.items[i];
            EXPECT_EQ(b.id, a.id) << path << " " << i;
            EXPECT_EQ(b.title, a.title) << path << " " << i;
            EXPECT_EQ(b.link, a.link) << path << " " << i;
            EXPECT_EQ(b.description, a.description) << path << " " << i;
            EXPECT_EQ(b.content, a.content) << path << " " << i;
            EXPECT_EQ(b.author, a.author) << path << " " << i;
            EXPECT_EQ(b.pubDate, a.pubDate) << path << " " << i;
            EXPECT_EQ(b.guid, a.guid) << path << " " << i;
        }
    }
}

}  // namespace
}  // namespace corvane::xml
