// One suite for both XML backends: it runs natively against libxml2 and under Wine against MSXML,
// with the same expectations; MSXML's answers are the reference.
#include "feedstore/XmlAccess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "feedstore/FeedStoreError.h"
#include "platform/FileReplace.h"
#include "platform/Utf.h"
#include "platform/WideFormat.h"
#include "support/TempFolder.h"
#include "support/TraceCapture.h"

namespace corvane::xml {
namespace {

// Wine maps the Unix root to drive Z:.
std::u16string dataFile(const std::string& name) {
    std::string path = std::string(CORVANE_TEST_DATA) + "/xml/" + name;
#ifdef _WIN32
    if (path.starts_with("/")) path = "Z:" + path;
#endif
    return fromUtf8(path);
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readDataFile(const std::string& name) {
    return readBytes(std::filesystem::path(dataFile(name)));
}

DocumentPtr parsed(std::u16string_view text) {
    DocumentPtr document = createDocument();
    EXPECT_TRUE(document->loadXml(text)) << toUtf8(text);
    return document;
}

// Texts compare as UTF-8, which gtest prints readably.
std::string textAt(Node& node, std::u16string_view path) {
    return toUtf8(nodeText(selectNode(node, path).get()));
}

struct TextCase {
    const char16_t* xml;
    const char* text;
};

void expectTexts(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) {
        DocumentPtr document = parsed(c.xml);
        EXPECT_EQ(textAt(*document, u"a"), c.text) << "for " << toUtf8(c.xml);
    }
}

TEST(XmlText, TrimsTheEndsAndKeepsWhitespaceInside) {
    expectTexts({
        {u"<a>  hello  <b> inner </b>  world  </a>", "hello   inner   world"},
        {u"<a> \t x \n y \t </a>", "x \n y"},
        {u"<a>x   y</a>", "x   y"},
        {u"<a>   </a>", ""},
        {u"<a>\n  line one\n  line two\n</a>", "line one\n  line two"},
        {u"<a>\u00A0x\u3000</a>", "\xC2\xA0x\xE3\x80\x80"},  // only XML whitespace is trimmed
    });
}

TEST(XmlText, BlankRunsBetweenMarkupBecomeOneSpace) {
    expectTexts({
        {u"<a>\n  <b>one</b>\n  <c>two</c>\n</a>", "one two"},
        {u"<a><b>one</b><c>two</c></a>", "onetwo"},
        {u"<a><b>one </b><c> two</c></a>", "one  two"},
        {u"<a>x<b> </b>y</a>", "x y"},
        {u"<a>x <b> </b>y</a>", "x  y"},
        {u"<a>1<b>2<c> </c></b>3</a>", "12 3"},
        {u"<a>1<b> <c>2</c></b></a>", "12"},
        {u"<a>x<!-- c --> <!-- d -->y</a>", "x y"},
        {u"<a>x<b>y</b>\t<c>z</c></a>", "xy z"},
    });
}

TEST(XmlText, CdataKeepsItsWhitespace) {
    expectTexts({
        {u"<a>  <![CDATA[  x < y  ]]>  </a>", "  x < y  "},
        {u"<a> x <![CDATA[ c ]]></a>", "x  c "},
        {u"<a><![CDATA[ c ]]> x </a>", " c  x"},
        {u"<a>pre<![CDATA[ mid ]]>post</a>", "pre mid post"},
        {u"<a><![CDATA[<p>hi</p>]]></a>", "<p>hi</p>"},
        {u"<a> <![CDATA[ ]]> </a>", " "},
        {u"<a>x<b> </b><![CDATA[]]>y</a>", "x y"},
    });
}

TEST(XmlText, EntityAndCharacterReferencesBecomeText) {
    expectTexts({
        {u"<a>&lt;b&gt; &amp; &quot; &apos; &#233; &#x263A; &#x1D11E;</a>",
         "<b> & \" ' \xC3\xA9 \xE2\x98\xBA \xF0\x9D\x84\x9E"},
        {u"<a>&lt;p&gt;Some &lt;b&gt;bold&lt;/b&gt;&lt;/p&gt;</a>", "<p>Some <b>bold</b></p>"},
        {u"<a>&#32;x&#32;</a>", "x"},
        {u"<a>x &#32; y</a>", "x   y"},
        {u"<a><b>1</b>&#32;&#32;x</a>", "1 x"},
        {u"<a>&#160;x</a>", "\xC2\xA0x"},
        {u"<a>x\r\ny\rz</a>", "x\ny\nz"},
        {u"<a>a&#13;b</a>", "a\rb"},
    });
}

TEST(XmlText, InternalEntitiesStandForTheirText) {
    expectTexts({
        {u"<!DOCTYPE a [<!ENTITY e \" ent \">]><a>x&e;y</a>", "x ent y"},
        {u"<!DOCTYPE a [<!ENTITY e \"<b>in</b> z\">]><a>x&e;y</a>", "xin zy"},
        {u"<!DOCTYPE a [<!ENTITY e \"  \">]><a>x&e;y</a>", "xy"},
    });
    // Markup inside an entity is not found by a path.
    DocumentPtr document = parsed(u"<!DOCTYPE a [<!ENTITY e \"<b>in</b>\">]><a>&e;</a>");
    EXPECT_EQ(selectNode(*document, u"a/b"), nullptr);
}

TEST(XmlText, NestedMarkupGivesItsTextWithoutComments) {
    expectTexts({
        {u"<a>x<!-- c -->y<?pi data?>z</a>", "xyz"},
        {u"<a><p>Some <b>bold</b> text</p></a>", "Some bold text"},
        {u"<a><b/></a>", ""},
    });
}

TEST(XmlText, XmlSpacePreserveKeepsWhitespace) {
    expectTexts({
        {u"<a xml:space=\"preserve\">  x  </a>", "  x  "},
        {u"<a xml:space=\"preserve\"> <b> </b> </a>", "   "},
        {u"<a>x<b xml:space=\"preserve\">  </b>y</a>", "x  y"},
    });
    // Trimming follows the node asked, not the nodes inside it.
    DocumentPtr document = parsed(u"<r><a xml:space=\"preserve\">  x  </a></r>");
    EXPECT_EQ(textAt(*document, u"r"), "x");
}

TEST(XmlText, DocumentAndMissingNodes) {
    DocumentPtr document = parsed(u"<?xml version=\"1.0\"?>\n<!-- top -->\n<r> a <b> b </b> </r>");
    EXPECT_EQ(toUtf8(document->text()), "a  b");
    EXPECT_EQ(nodeText(nullptr), u"");
}

TEST(XmlLoad, FailedLoadLeavesAnEmptyDocument) {
    DocumentPtr document = parsed(u"<r><a>one</a></r>");
    EXPECT_FALSE(document->loadXml(u"<r>\n<a>\n</r>"));
    EXPECT_EQ(selectNode(*document, u"r"), nullptr);
    EXPECT_TRUE(selectNodes(*document, u"r").empty());
    EXPECT_EQ(document->text(), u"");
    EXPECT_EQ(document->serialize(), "");
    const ParseError error = document->parseError();
    EXPECT_FALSE(error.reason.empty());
    // libxml2 gives the line; Wine's msxml3 gives 0 for every error.
    EXPECT_TRUE(error.line == 3 || error.line == 0) << error.line;

    for (const char* bytes : {"", "just text", "<r/><s/>", "<?xml version=\"1.0\"?><r>caf\xE9</r>"}) {
        ASSERT_TRUE(document->loadXml(u"<r>one</r>"));
        std::span<const uint8_t> span(reinterpret_cast<const uint8_t*>(bytes), std::strlen(bytes));
        EXPECT_FALSE(document->loadBytes(span)) << bytes;
        EXPECT_EQ(selectNode(*document, u"r"), nullptr) << bytes;
    }
}

TEST(XmlLoad, AnUndeclaredEntityFailsWithoutADtd) {
    DocumentPtr document = createDocument();
    EXPECT_FALSE(document->loadXml(u"<r>&nbsp;</r>"));
}

TEST(XmlLoad, TracesFailuresWithReasonTextAndLine) {
    testing::TraceCapture capture("xml-load");
    const std::u16string text = u"<r><a></r>";
    DocumentPtr document = loadXmlText(text);
    const ParseError textError = document->parseError();
    const std::u16string missing = dataFile("no-such-file.xml");
    DocumentPtr file = loadXmlFile(missing, true, false);
    DocumentPtr stream = createDocument();
    EXPECT_FALSE(loadXmlStream(*stream, {}, u"http://127.0.0.1/feed"));

    EXPECT_EQ(selectNode(*file, u"rss"), nullptr);
    EXPECT_EQ(capture.messages(),
              (std::vector<std::string>{
                  toUtf8(formatWide(u"error 0x00000001: %s at load xml %s in line %d", textError.reason, text,
                                    textError.line)),
                  toUtf8(formatWide(u"error 0x00000001: %s at load %s", file->parseError().reason, missing)),
                  toUtf8(formatWide(u"error 0x00000001: %s at load http://127.0.0.1/feed",
                                    stream->parseError().reason)),
              }));
}

TEST(XmlLoad, ReadsTheDeclaredEncoding) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><r>caf\xC3\xA9</r>", "caf\xC3\xA9"},
        {"<r>caf\xC3\xA9 \xF0\x9D\x84\x9E</r>", "caf\xC3\xA9 \xF0\x9D\x84\x9E"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>caf\xE9</r>", "caf\xC3\xA9"},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>\x93q\x94 \x80</r>",
         "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC"},
        {std::string("\xFF\xFE<\0r\0>\0\xE9\0<\0/\0r\0>\0", 18), "\xC3\xA9"},
    };
    for (const auto& [bytes, text] : cases) {
        DocumentPtr document = createDocument();
        EXPECT_TRUE(loadXmlStream(
            *document, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), u"test"));
        EXPECT_EQ(textAt(*document, u"r"), text);
    }
}

TEST(XmlLoad, APathIsAFileNameNeverAUrl) {
    testing::TempFolder folder;
    const std::filesystem::path inner = folder.path() / u"C# news %20 \u00E9";
    std::filesystem::create_directories(inner);
    writeBytes(inner / "rssitems.xml", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss/>\n");
    DocumentPtr document = loadXmlFile((inner / "rssitems.xml").u16string(), true, false);
    EXPECT_NE(selectElement(*document, u"rss"), nullptr);

    EXPECT_FALSE(createDocument()->load(inner.u16string()));
    EXPECT_FALSE(createDocument()->load((inner / "missing.xml").u16string()));
}

TEST(XmlLoad, ExternalDtdIsNeverReadAndValidationDoesNotNeedIt) {
    // An RSS 0.91 feed: its DTD is named, never fetched; the entities it would declare give nothing.
    DocumentPtr feed = loadXmlFile(dataFile("rss091.xml"), true, false);
    EXPECT_EQ(textAt(*feed, u"rss/channel/title"), "Caf\xC3\xA9 crit & more");
    EXPECT_EQ(selectNodes(*feed, u"rss/channel/item").size(), 1u);

    DocumentPtr local = loadXmlFile(dataFile("external-dtd.xml"), true, false);
    EXPECT_EQ(textAt(*local, u"r/a"), "xy");

    // A document that is invalid against its own DTD loads too: validation is not done.
    DocumentPtr invalid = createDocument();
    invalid->setValidateOnParse(true);
    EXPECT_TRUE(invalid->loadXml(u"<!DOCTYPE r [<!ELEMENT r (a)>]><r><b/></r>"));
}

TEST(XmlLoad, ExternalEntitiesNeverExposeLocalFiles) {
    testing::TempFolder folder;
    writeBytes(folder.path() / "secret.txt", "LOCAL-FILE-MARKER\n");
    std::string url = toUtf8((folder.path() / "secret.txt").generic_u16string());
    if (!url.starts_with("/")) url = "/" + url;
    const std::string absolute = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY e SYSTEM \"file://" + url +
                                 "\">]>\n<r><a>x&e;y</a></r>\n";
    writeBytes(folder.path() / "absolute.xml", absolute);

    const std::vector<std::u16string> files = {(folder.path() / "absolute.xml").u16string(),
                                               dataFile("entity-relative.xml")};
    for (const std::u16string& path : files) {
        DocumentPtr byPath = loadXmlFile(path, true, false);
        EXPECT_EQ(textAt(*byPath, u"r/a"), "xy") << toUtf8(path);
        const std::string bytes = readBytes(std::filesystem::path(path));
        const std::span<const uint8_t> span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        // Downloaded bytes with an external entity never reach the component...
        EXPECT_FALSE(loadXmlStream(*createDocument(), span, u"test"));
        // ...which would not read it either.
        DocumentPtr byBytes = createDocument();
        byBytes->setValidateOnParse(true);
        byBytes->setResolveExternals(false);
        EXPECT_TRUE(byBytes->loadBytes(span));
        EXPECT_EQ(textAt(*byBytes, u"r/a"), "xy") << toUtf8(path);
        EXPECT_EQ(byBytes->serialize().find("MARKER"), std::string::npos);
    }
    // An external parameter entity is not read either, so the entity it would declare is unknown.
    EXPECT_EQ(textAt(*loadXmlFile(dataFile("parameter-entity.xml"), true, false), u"r/a"), "");
}

TEST(XmlLoad, BillionLaughsIsRefusedQuickly) {
    const auto start = std::chrono::steady_clock::now();
    DocumentPtr document = createDocument();
    EXPECT_FALSE(document->load(dataFile("billion-laughs.xml")));
    EXPECT_EQ(selectNode(*document, u"lolz"), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// Natively libxml2 would stop expanding on its own; msxml3 under Wine would not.
TEST(XmlLoad, OneLargeEntityReferencedOftenIsRefusedBeforeTheComponent) {
    std::string text = "<!DOCTYPE r [<!ENTITY a \"" + std::string(100000, 'x') + "\">]><r>";
    for (int i = 0; i < 1000; ++i)
        text += "&a;";
    text += "</r>";
    DocumentPtr document = createDocument();
    EXPECT_FALSE(loadXmlStream(*document,
                               std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                               u"http://127.0.0.1/large-entity"));
    EXPECT_EQ(selectNode(*document, u"r"), nullptr);
}

TEST(XmlLoad, APrettyPrintedFeedReadsAsTheStoresExpect) {
    DocumentPtr feed = createDocument();
    const std::string bytes = readDataFile("feed-whitespace.xml");
    ASSERT_TRUE(loadXmlStream(*feed, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                              u"http://127.0.0.1/feed"));
    NodePtr rss = selectElement(*feed, u"rss");
    ASSERT_NE(rss, nullptr);
    EXPECT_EQ(textAt(*rss, u"channel/title"), "Indented channel");
    EXPECT_EQ(textAt(*rss, u"channel/description"), "Feed & fixture");
    std::vector<NodePtr> items = selectNodes(*rss, u"channel/item");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(textAt(*items[0], u"./title"), "First item");
    EXPECT_EQ(textAt(*items[0], u"./description"), "  <p>Hello <b>world</b></p>  ");
    EXPECT_EQ(selectNode(*items[0], u"./author"), nullptr);
    EXPECT_EQ(textAt(*items[0], u"./guid"), "first");
    EXPECT_EQ(textAt(*items[1], u"./title"), "Second \xC3\xA9t\xC3\xA9 \xF0\x9D\x84\x9E");
    // The blank run after the last reference stands alone before <b>, so it becomes one space.
    EXPECT_EQ(textAt(*items[1], u"./description"), "<p>Escaped</p> bold italic");
    EXPECT_EQ(textAt(*items[1], u"./author"), "author@example.com");
    NodePtr enclosure = selectElement(*items[1], u"./enclosure");
    ASSERT_NE(enclosure, nullptr);
    EXPECT_EQ(getAttributeText(*enclosure, u"length", u""), u"12abc");
    EXPECT_EQ(enclosure->getAttribute(u"type"), u"");
}

TEST(XmlSelect, ChildPathsFindTheFirstMatchInDocumentOrder) {
    DocumentPtr document = parsed(
        u"<rss><channel><item>1</item><item>2</item></channel><channel><item>3</item></channel></rss>");
    NodePtr rss = selectNode(*document, u"rss");
    ASSERT_NE(rss, nullptr);
    EXPECT_EQ(textAt(*rss, u"channel/item"), "1");
    EXPECT_EQ(textAt(*rss, u"./channel"), "12");
    std::vector<std::string> texts;
    for (const NodePtr& item : selectNodes(*rss, u"channel/item"))
        texts.push_back(toUtf8(item->text()));
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(selectNodes(*rss, u"./channel").size(), 2u);
    // Children only: an item two levels down is not an "item" of rss.
    EXPECT_TRUE(selectNodes(*rss, u"item").empty());
    EXPECT_EQ(selectNode(*rss, u"nothere"), nullptr);
    EXPECT_EQ(selectNode(*rss, u"./nothere/item"), nullptr);
}

TEST(XmlSelect, NamesMatchAsQualifiedNames) {
    DocumentPtr document = parsed(
        u"<item "
        u"xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:creator>x</dc:creator><author>y</author></item>");
    NodePtr item = selectNode(*document, u"item");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(textAt(*item, u"./author"), "y");
    EXPECT_EQ(selectNode(*item, u"creator"), nullptr);
    EXPECT_EQ(textAt(*item, u"dc:creator"), "x");
    // A default namespace does not change the qualified name.
    DocumentPtr rss2 =
        parsed(u"<rss xmlns=\"http://backend.userland.com/rss2\"><channel><title>t</title></channel></rss>");
    EXPECT_EQ(textAt(*rss2, u"rss/channel/title"), "t");
    DocumentPtr prefixed = parsed(u"<x:rss xmlns:x=\"urn:x\"/>");
    EXPECT_EQ(selectNode(*prefixed, u"rss"), nullptr);
    EXPECT_NE(selectNode(*prefixed, u"x:rss"), nullptr);
}

TEST(XmlSelect, OtherPathsAndElementsOnly) {
    DocumentPtr document = parsed(u"<r><a>1</a><b><a>2</a></b><a>3</a>text</r>");
    EXPECT_EQ(selectNodes(*document, u"//a").size(), 3u);
    EXPECT_EQ(selectNodes(*document, u"r/*").size(), 3u);
    EXPECT_NE(selectNode(*document, u"r/text()"), nullptr);
    EXPECT_EQ(selectElement(*document, u"r/text()"), nullptr);
    EXPECT_NE(selectElement(*document, u"r"), nullptr);
}

TEST(XmlAttributes, AbsentEmptyAndEscapedValues) {
    DocumentPtr document = parsed(u"<a v=\" x &#10; y\ty\nz \" e=\"\" n=\"&lt;&amp;&#233;\"/>");
    NodePtr a = selectElement(*document, u"a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->getAttribute(u"missing"), std::nullopt);
    EXPECT_EQ(a->getAttribute(u"e"), u"");
    EXPECT_EQ(getAttributeText(*a, u"missing", u"dflt"), u"dflt");
    EXPECT_EQ(getAttributeText(*a, u"e", u"dflt"), u"");
    EXPECT_EQ(getAttributeText(*a, u"V", u"dflt"), u"dflt");
    EXPECT_EQ(getAttributeText(*a, u"n", u""), u"<&\u00E9");
    EXPECT_EQ(getAttributeText(*a, u"v", u""), u" x \n y y z ");
}

TEST(XmlAttributes, DefaultsOfTheDocumentsOwnDtdCount) {
    DocumentPtr document = parsed(u"<!DOCTYPE r [<!ATTLIST r v CDATA \"dflt\">]><r/>");
    EXPECT_EQ(getAttributeText(*selectElement(*document, u"r"), u"v", u""), u"dflt");
}

TEST(XmlAttributes, ANodeThatIsNoElementGivesTheDefault) {
    DocumentPtr document = parsed(u"<r>text</r>");
    NodePtr text = selectNode(*document, u"r/text()");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(getAttributeText(*text, u"v", u"dflt"), u"dflt");
    EXPECT_THROW(setAttributeText(*text, u"v", u"x"), FeedStoreError);
}

TEST(XmlAttributes, SetTextAndDecimalIntegers) {
    DocumentPtr document = parsed(u"<r/>");
    NodePtr r = selectElement(*document, u"r");
    setAttributeText(*r, u"url", u"http://127.0.0.1/?a=1&b=\"2\"");
    setAttributeInt(*r, u"length", -12);
    setAttributeInt(*r, u"zero", 0);
    EXPECT_EQ(getAttributeText(*r, u"url", u""), u"http://127.0.0.1/?a=1&b=\"2\"");
    EXPECT_EQ(getAttributeText(*r, u"length", u""), u"-12");
    EXPECT_EQ(document->serialize(),
              "<r url=\"http://127.0.0.1/?a=1&amp;b=&quot;2&quot;\" length=\"-12\" zero=\"0\"/>\n");
}

constexpr char16_t kItemsSkeleton[] = u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss/>";
constexpr char16_t kSettingsSkeleton[] = u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<corvane/>";

// An item store as the store writes one: every kind of text it meets, one padded.
DocumentPtr buildItemStore() {
    DocumentPtr document = loadXmlText(kItemsSkeleton);
    NodePtr rss = selectElement(*document, u"rss");
    setAttributeText(*rss, u"version", u"2.0");
    NodePtr channel = document->createElement(u"channel");
    NodePtr item = document->createElement(u"item");
    channel->appendChild(item);
    appendTextElement(*document, *item, u"title", u"Caf\u00E9 & <b>bold</b> \U0001D11E");
    appendTextElement(*document, *item, u"pubDate", u"Mon, 02 Jun 2003 10:04:00 GMT");
    appendTextElement(*document, *item, u"description", u"<p>Line one\r\nline two ]]> end</p>");
    appendTextElement(*document, *item, u"link", u"http://127.0.0.1/a?x=1&y=2");
    appendTextElement(*document, *item, u"author", u"");
    appendTextElement(*document, *item, u"guid", u"  padded  ");
    appendTextElement(*document, *item, u"corvane_id", u"zhRzz4DGs/2o49/ABq3DFQ");
    appendIntElement(*document, *item, u"corvane_label", 3);
    NodePtr enclosure = document->createElement(u"enclosure");
    setAttributeText(*enclosure, u"url", u"http://127.0.0.1/\u00E9.mp3");
    setAttributeInt(*enclosure, u"length", 12345);
    setAttributeText(*enclosure, u"type", u"audio/mpeg");
    item->appendChild(enclosure);
    rss->appendChild(channel);
    return document;
}

DocumentPtr buildSettings() {
    DocumentPtr document = loadXmlText(kSettingsSkeleton);
    NodePtr root = selectElement(*document, u"corvane");
    setAttributeText(*root, u"version", u"1.0");
    appendTextElement(*document, *root, u"title", u"Nouvelles \u00E9t\u00E9");
    appendTextElement(*document, *root, u"link", u"");
    appendTextElement(*document, *root, u"description", u"A \"quoted\" <feed>");
    appendTextElement(*document, *root, u"url", u"http://127.0.0.1:8080/feed.xml");
    NodePtr param = document->createElement(u"param");
    setAttributeText(*param, u"name", u"label1Title");
    setAttributeText(*param, u"value", u"\u00C4rger & \"Sorgen\"");
    root->appendChild(param);
    NodePtr identity = document->createElement(u"identity");
    for (const char16_t* id : {u"CNSPnRNrl9GXy4B9Xh9l5g", u"zhRzz4DGs/2o49/ABq3DFQ"}) {
        NodePtr element = document->createElement(u"id");
        element->appendChild(document->createTextNode(id));
        identity->appendChild(element);
    }
    root->appendChild(identity);
    return document;
}

// The golden files are what each build writes, so a folder saved by one build is read by the other.
TEST(XmlSave, BothBuildsWriteTheGoldenBytes) {
    EXPECT_EQ(buildItemStore()->serialize(), readDataFile("rssitems-golden.xml"));
    EXPECT_EQ(buildSettings()->serialize(), readDataFile("corvane-golden.xml"));
}

TEST(XmlSave, BytesAreUtf8WithTheSkeletonsDeclarationAndNoByteOrderMark) {
    const std::string bytes = buildItemStore()->serialize();
    EXPECT_TRUE(bytes.starts_with("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\">"))
        << bytes;
    EXPECT_NE(bytes.find("Caf\xC3\xA9 &amp; &lt;b&gt;bold&lt;/b&gt; \xF0\x9D\x84\x9E"), std::string::npos);
    EXPECT_NE(bytes.find("<author></author>"), std::string::npos);
    EXPECT_NE(bytes.find("<corvane_label>3</corvane_label>"), std::string::npos);
    EXPECT_NE(
        bytes.find("<enclosure url=\"http://127.0.0.1/\xC3\xA9.mp3\" length=\"12345\" type=\"audio/mpeg\"/>"),
        std::string::npos);
    // A text node keeps line feeds only.
    EXPECT_NE(bytes.find("Line one\nline two ]]&gt; end"), std::string::npos);
}

TEST(XmlSave, GoldenFilesLoadWithTheSameTexts) {
    DocumentPtr items = loadXmlFile(dataFile("rssitems-golden.xml"), true, false);
    NodePtr item = selectNode(*items, u"rss/channel/item");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(getAttributeText(*selectElement(*items, u"rss"), u"version", u""), u"2.0");
    EXPECT_EQ(textAt(*item, u"./title"), "Caf\xC3\xA9 & <b>bold</b> \xF0\x9D\x84\x9E");
    EXPECT_EQ(textAt(*item, u"./description"), "<p>Line one\nline two ]]> end</p>");
    EXPECT_EQ(textAt(*item, u"./link"), "http://127.0.0.1/a?x=1&y=2");
    EXPECT_NE(selectNode(*item, u"./author"), nullptr);
    EXPECT_EQ(textAt(*item, u"./author"), "");
    EXPECT_EQ(textAt(*item, u"./guid"), "padded");  // leading and trailing whitespace do not survive a load
    EXPECT_EQ(textAt(*item, u"./corvane_id"), "zhRzz4DGs/2o49/ABq3DFQ");
    EXPECT_EQ(textAt(*item, u"./corvane_label"), "3");
    NodePtr enclosure = selectElement(*item, u"./enclosure");
    ASSERT_NE(enclosure, nullptr);
    EXPECT_EQ(getAttributeText(*enclosure, u"url", u""), u"http://127.0.0.1/\u00E9.mp3");
    EXPECT_EQ(getAttributeText(*enclosure, u"length", u""), u"12345");

    DocumentPtr settings = loadXmlFile(dataFile("corvane-golden.xml"), true, false);
    NodePtr root = selectElement(*settings, u"corvane");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(textAt(*root, u"./title"), "Nouvelles \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(textAt(*root, u"./description"), "A \"quoted\" <feed>");
    std::vector<NodePtr> params = selectNodes(*root, u"param");
    ASSERT_EQ(params.size(), 1u);
    EXPECT_EQ(getAttributeText(*params[0], u"value", u""), u"\u00C4rger & \"Sorgen\"");
    std::vector<std::string> ids;
    NodePtr identity = selectNode(*root, u"./identity");
    ASSERT_NE(identity, nullptr);
    for (const NodePtr& id : selectNodes(*identity, u"id"))
        ids.push_back(toUtf8(id->text()));
    EXPECT_EQ(ids, (std::vector<std::string>{"CNSPnRNrl9GXy4B9Xh9l5g", "zhRzz4DGs/2o49/ABq3DFQ"}));
}

TEST(XmlSave, SaveThenLoadGivesTheSameTexts) {
    testing::TempFolder folder;
    const std::u16string path = folder.file("rssitems.xml");
    DocumentPtr built = buildItemStore();
    saveXmlFile(*built, path);
    EXPECT_EQ(folder.read("rssitems.xml"), built->serialize());

    DocumentPtr loaded = loadXmlFile(path, true, false);
    NodePtr before = selectNode(*built, u"rss/channel/item");
    NodePtr after = selectNode(*loaded, u"rss/channel/item");
    ASSERT_NE(after, nullptr);
    for (const char16_t* field : {u"./title", u"./pubDate", u"./description", u"./link", u"./author",
                                  u"./guid", u"./corvane_id", u"./corvane_label"})
        EXPECT_EQ(textAt(*after, field), textAt(*before, field)) << toUtf8(field);
}

TEST(XmlSave, AFailedSaveRaisesAndKeepsTheOldFile) {
    testing::TempFolder folder;
    folder.write("corvane.xml", "old contents");
    failNextFileReplaceAt(FileReplaceStage::Write);
    EXPECT_THROW(saveXmlFile(*buildSettings(), folder.file("corvane.xml")), FeedStoreError);
    EXPECT_EQ(folder.read("corvane.xml"), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(XmlBuild, AppendedNodesFormTheTree) {
    DocumentPtr document = parsed(u"<r/>");
    NodePtr r = selectElement(*document, u"r");
    appendTextElement(*document, *r, u"empty", u"");
    NodePtr twice = document->createElement(u"twice");
    twice->appendChild(document->createTextNode(u"a"));
    twice->appendChild(document->createTextNode(u"b"));
    r->appendChild(twice);
    EXPECT_EQ(textAt(*r, u"twice"), "ab");
    EXPECT_EQ(document->serialize(), "<r><empty></empty><twice>ab</twice></r>\n");
    // A node that was made but never appended goes with the document.
    document->createElement(u"loose")->appendChild(document->createTextNode(u"x"));
    EXPECT_EQ(selectNode(*document, u"r/loose"), nullptr);
}

TEST(XmlBuild, NodesOutliveAReload) {
    DocumentPtr document = parsed(u"<r><a>one</a></r>");
    NodePtr a = selectNode(*document, u"r/a");
    ASSERT_TRUE(document->loadXml(u"<s/>"));
    EXPECT_EQ(toUtf8(a->text()), "one");
    EXPECT_EQ(selectNode(*document, u"r"), nullptr);
}

TEST(XmlBuild, AnEmptyNameRaises) {
    EXPECT_THROW(createDocument()->createElement(u""), FeedStoreError);
}

}  // namespace
}  // namespace corvane::xml
