// The plain reader in its feed shape against libxml2's event reader: wherever it reads a document
// without leaving it to the general readers, it hands out the same nodes, names, namespaces,
// attributes and values, and it never takes a document the event reader refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "StreamTranscript.h"
#include "feedstore/FeedReaders.h"
#include "feedstore/FeedUpdate.h"
#include "feedstore/PlainXmlReader.h"
#include "feedstore/libxml2/Libxml2Readers.h"

namespace corvane::xml {
namespace {

std::string plainTranscript(const std::string& document) {
    try {
        std::unique_ptr<StreamReader> reader = openPlainXmlReader(document, PlainXmlShape::Feed);
        return transcript(*reader);
    } catch (const NotPlainXml&) {
        return "not plain\n";
    }
}

std::string eventTranscript(const std::string& document) {
    std::unique_ptr<StreamReader> reader = openEventStreamReader(bytesOf(document));
    return reader ? transcript(*reader) : "no reader\n";
}

const std::string kAtom = "<feed xmlns='http://www.w3.org/2005/Atom'>";

// Feeds as servers write them, which the plain reader takes.
const std::string kTaken[] = {
    // Declarations of UTF-8 in their spellings, none, a byte-order mark, an instruction before the root.
    "<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\n<rss/>",
    "<?xml version=\"1.0\"?><rss version='2.0'><channel/></rss>",
    "<?xml  version = \"1.0\"  encoding = 'utf-8' ?>\n<rss/>\n",
    "<?xml version='1.0' encoding='Utf-8'?><rss/>",
    "<rss><channel><title>no declaration</title></channel></rss>",
    "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?><rss/>",
    "\xEF\xBB\xBF<rss/>",
    "<?xml version='1.0'?>\n<?xml-stylesheet type='text/xsl' href='s.xsl'?>\n<!-- made by hand -->\n"
    "<rss><channel/></rss>\n<!-- after -->\n<?after it?>\n",
    // Default and prefixed namespaces, redeclared, undeclared, and the xml prefix.
    kAtom +
        "<entry xml:base='http://h/d/' xml:lang='en'><link rel='alternate' href='a'/>"
        "<content type='xhtml'><div xmlns='http://www.w3.org/1999/xhtml'><p>x<br/></p></div></content>"
        "<x:y xmlns:x='urn:x' xmlns=''><z a='1' x:b='2'/></x:y></entry></feed>",
    "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#' xmlns='http://purl.org/rss/1.0/'"
    " xmlns:dc='http://purl.org/dc/elements/1.1/'><item rdf:about='http://h/1'><dc:date>2026-12-09"
    "</dc:date></item><p:item xmlns:p='http://purl.org/rss/1.0/'/></rdf:RDF>",
    "<rss xmlns:media='http://search.yahoo.com/mrss/'><channel><item><media:content url='u'/>"
    "<media:group xmlns:media='urn:other'><media:x/></media:group><media:y/></item></channel></rss>",
    // CDATA, one after another and beside text; comments and instructions inside.
    "<rss><channel><item><description><![CDATA[<p>a & b</p>]]><![CDATA[]]]]><![CDATA[>]]> tail"
    "</description><title>a<!-- c -->b<?pi data?>c</title><x><![CDATA[]]></x></item></channel></rss>",
    // References and whitespace in text and attribute values; characters of every length.
    "<rss><channel><title>a &amp;&lt;&gt;&quot;&apos; &#233;&#x1F600; caf\xC3\xA9 \xE4\xB8\xAD "
    "\xF0\x9F\x98\x80 ]] ]></title><link href='x?a=1&amp;b=2&#38;c' t='a\tb\nc'/></channel></rss>",
    // Line ends of every system in text, attribute values, tags, comments and around the root
    // (a carriage return in CDATA is left to libxml2, below).
    "<?xml version='1.0'\r\n encoding='utf-8'?>\r\n<rss>\r\n<a\r\nb='x\r\ny\rz\n'\r\n>t\r\nu\rv\r\r\nw"
    "<![CDATA[c\nd]]><!--\r\n--></a\r\n><b c='\r'>\r</b></rss>\r\n",
    // Empty elements beside ones that close; long runs for the sixteen-byte scans.
    "<rss><a/><a></a><a> </a><b>" + std::string(100, 'x') + "&amp;" + std::string(37, 'y') + "</b></rss>",
};

// What the plain reader leaves to the general readers: shapes it does not read, and documents that
// are not well-formed, which the event reader must then refuse by itself.
const std::string kLeft[] = {
    "<?xml version='1.0' encoding='ISO-8859-1'?><rss/>",
    "<?xml version='1.1'?><rss/>",
    "<?xml encoding='UTF-8'?><rss/>",
    "<?xml version='1.0' standalone='maybe'?><rss/>",
    "<?xml version='1.0' standalone='yes' encoding='UTF-8'?><rss/>",
    "  <?xml version='1.0'?><rss/>",
    "<!DOCTYPE rss><rss/>",
    "<rss>&nbsp;</rss>",
    "<rss><p:a/></rss>",
    "<rss xmlns:p=''><p:a/></rss>",
    "<rss xmlns:p='not a uri'/>",
    "<rss xmlns='urn:x' xmlns='urn:y'/>",
    "<rss xmlns:xml='urn:x'/>",
    "<rss xmlns:a='urn:x' xmlns:b='urn:x'><c a:d='1' b:d='2'/></rss>",
    "<rss><a p:b='1'/></rss>",
    "<rss><a:b:c xmlns:a='urn:x'/></rss>",
    "<rss><!-- a -- b --></rss>",
    "<rss><!-- a ---></rss>",
    "<rss><![CDATA[a]]</rss>",
    "<rss><![CDATA[a\r\nb]]></rss>",
    "<![CDATA[a]]><rss/>",
    "<rss>a ]]> b</rss>",
    "<rss><?xml here?></rss>",
    "<rss><a></b></rss>",
    "<rss>",
    "<rss/><rss/>",
    "<rss>\xC3</rss>",
    "",
};

TEST(PlainFeedReader, HandsOutWhatTheEventReaderHandsOut) {
    for (const std::string& document : kTaken) {
        const std::string plain = plainTranscript(document);
        EXPECT_NE(plain, "not plain\n") << document;
        EXPECT_EQ(plain, eventTranscript(document)) << document;
    }
}

TEST(PlainFeedReader, LeavesOtherShapesAndFaultsToTheGeneralReaders) {
    for (const std::string& document : kLeft)
        EXPECT_EQ(plainTranscript(document), "not plain\n") << document;
}

// Every document of the test data, feeds and others: read alike, or left alone. The feeds written
// in UTF-8 are read.
TEST(PlainFeedReader, ReadsTheCorpusAsTheEventReaderDoes) {
    for (const std::filesystem::path& path : corpus()) {
        const std::string document = fileText(path);
        const std::string plain = plainTranscript(document);
        if (path.parent_path().filename() == "feeds" && path.extension() == ".xml") {
            EXPECT_NE(plain, "not plain\n") << path;
        }
        if (plain != "not plain\n") {
            EXPECT_EQ(plain, eventTranscript(document)) << path;
        }
    }
}

// A feed the plain reader gives up on late, past items it has read, is read again whole.
TEST(PlainFeedReader, AFeedLeftLateIsReadAgainWhole) {
    std::string items;
    for (int i = 0; i < 3; ++i)
        items +=
            "<item><title>t" + std::to_string(i) + "</title><guid>g" + std::to_string(i) + "</guid></item>";
    const std::string document = "<rss><channel>" + items + "<item><title>&#xE9;t&eacute;</title></item>" +
                                 "</channel></rss><!DOCTYPE x>";
    FeedFetch fetch;
    readFeedDocument(bytesOf(document), u"http://h/f", fetch);
    EXPECT_TRUE(fetch.notRss);
    EXPECT_TRUE(fetch.items.empty());

    const std::string windowsLines = "<rss><channel>\r\n" + items + "\r\n</channel></rss>";
    FeedFetch read;
    readFeedDocument(bytesOf(windowsLines), u"http://h/f", read);
    EXPECT_FALSE(read.notRss);
    ASSERT_EQ(read.items.size(), 3u);
    EXPECT_EQ(read.items[2]->title, u"t2");
}

}  // namespace
}  // namespace corvane::xml
