#include "feedstore/DoctypeCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {
namespace {

bool safe(std::string_view text) {
    return isDoctypeSafe({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

bool mayDeclareEntities(std::string_view text) {
    return checkDoctype({reinterpret_cast<const uint8_t*>(text.data()), text.size()}).mayDeclareEntities;
}

// ASCII text in a wide encoding of `width` bytes a character, with a byte-order mark when asked.
std::string widened(std::string_view text, size_t width, bool littleEndian, bool mark = true) {
    std::string out;
    auto put = [&](uint32_t unit) {
        for (size_t b = 0; b < width; ++b)
            out += static_cast<char>(unit >> 8 * (littleEndian ? b : width - 1 - b));
    };
    if (mark) put(0xFEFF);
    for (char c : text)
        put(static_cast<unsigned char>(c));
    return out;
}

std::string utf16(std::string_view text, bool littleEndian) {
    return widened(text, 2, littleEndian);
}

const char kBillionLaughs[] = R"(<?xml version="1.0"?>
<!DOCTYPE rss [
 <!ENTITY lol "lol">
 <!ENTITY lol1 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">
 <!ENTITY lol2 "&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;">
]>
<rss><channel><title>&lol2;</title></channel></rss>)";

TEST(DoctypeCheck, DocumentsWithoutEntitiesPass) {
    EXPECT_TRUE(safe("<rss version=\"2.0\"><channel/></rss>"));
    EXPECT_TRUE(safe("<?xml version=\"1.0\"?>\n<!-- <!DOCTYPE x [<!ENTITY % p SYSTEM \"y\">]> -->\n<rss/>"));
    EXPECT_TRUE(safe(""));
    EXPECT_TRUE(safe("not xml at all"));
    // A DOCTYPE after the root is no DOCTYPE; the parser rejects the document itself.
    EXPECT_TRUE(safe("<rss/><!DOCTYPE rss [<!ENTITY % p SYSTEM \"x\">]>"));
}

TEST(DoctypeCheck, ExternalDtdAndPlainEntitiesPass) {
    EXPECT_TRUE(safe(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\"\n"
        " \"http://127.0.0.1/rss-0.91.dtd\">\n<rss version=\"0.91\"/>"));
    EXPECT_TRUE(safe("<!DOCTYPE rss SYSTEM 'rss.dtd'><rss/>"));
    EXPECT_TRUE(safe(
        "<!DOCTYPE rss [\n<!ENTITY copy \"&#169; 2003\">\n<!ENTITY name 'Corvane'>\n"
        "<!ELEMENT rss ANY>\n<!ATTLIST rss version CDATA \"2.0\">\n<!-- note -->\n]>\n<rss>&name;</rss>"));
}

TEST(DoctypeCheck, NestedExternalAndParameterEntitiesAreRefused) {
    EXPECT_FALSE(safe(kBillionLaughs));
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY secret SYSTEM \"file:///etc/passwd\">]><rss>&secret;</rss>"));
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY x PUBLIC \"-//x//\" \"http://127.0.0.1/x\">]><rss/>"));
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY % p \"<!ENTITY x 'y'>\"> %p;]><rss/>"));
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY a \"%b;\">]><rss/>"));
}

TEST(DoctypeCheck, UnreadableDoctypeIsRefused) {
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY a \"unterminated>]><rss/>"));
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY a \"b\""));
    EXPECT_FALSE(safe("<!DOCTYPE rss [ junk ]><rss/>"));
}

TEST(DoctypeCheck, Utf16DocumentsAreReadInBothByteOrders) {
    EXPECT_FALSE(safe(utf16(kBillionLaughs, true)));
    EXPECT_FALSE(safe(utf16(kBillionLaughs, false)));
    EXPECT_TRUE(safe(utf16("<?xml version=\"1.0\"?><!DOCTYPE rss SYSTEM \"rss.dtd\"><rss/>", true)));
}

// A reader may pass over texts unread only where no entity can make a text fail.
TEST(DoctypeCheck, SaysWhenNoEntityCanBeDeclared) {
    EXPECT_FALSE(mayDeclareEntities("<rss><channel/></rss>"));
    EXPECT_FALSE(mayDeclareEntities(
        "\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- c --><!DOCTYPE rss SYSTEM \"r.dtd\"><rss/>"));
    EXPECT_FALSE(mayDeclareEntities("<!DOCTYPE rss [<!ELEMENT rss ANY><!ATTLIST rss v CDATA \"2\">]><rss/>"));
    EXPECT_FALSE(mayDeclareEntities(utf16("<?xml version=\"1.0\"?><rss/>", true)));

    EXPECT_TRUE(mayDeclareEntities("<!DOCTYPE rss [<!ENTITY e \"plain\">]><rss>&e;</rss>"));
    EXPECT_TRUE(mayDeclareEntities(utf16("<!DOCTYPE rss [<!ENTITY e \"x\">]><rss/>", false)));
    EXPECT_TRUE(mayDeclareEntities(kBillionLaughs));
    EXPECT_FALSE(mayDeclareEntities(std::string("<\0\0\0?\0\0\0", 8)));  // UCS-4 is read now
    // Starts this reader cannot follow: EBCDIC, nothing at all.
    EXPECT_TRUE(mayDeclareEntities("\x4C\x6F\xA7\x94"));
    EXPECT_TRUE(mayDeclareEntities(""));
}

TEST(DoctypeCheck, NestedEntitiesAreFoundInEveryWideEncoding) {
    const std::string plain = "<?xml version=\"1.0\"?><!DOCTYPE rss SYSTEM \"rss.dtd\"><rss/>";
    for (size_t width : {2u, 4u}) {
        for (bool littleEndian : {true, false}) {
            for (bool mark : {true, false}) {
                SCOPED_TRACE(::testing::Message()
                             << width << (littleEndian ? " LE" : " BE") << (mark ? " BOM" : ""));
                EXPECT_FALSE(safe(widened(kBillionLaughs, width, littleEndian, mark)));
                EXPECT_TRUE(safe(widened(plain, width, littleEndian, mark)));
            }
        }
    }
    // Without a declaration either: the DOCTYPE comes first.
    EXPECT_FALSE(
        safe(widened("<!DOCTYPE r [<!ENTITY a \"x\"><!ENTITY b \"&a;&a;\">]><r>&b;</r>", 2, true, false)));
}

// A document whose markup cannot be followed is refused rather than handed over unchecked.
TEST(DoctypeCheck, UnreadableEncodingsAreRefused) {
    EXPECT_FALSE(safe("\x4C\x6F\xA7\x94\x93\x40\xA5\x85"));  // EBCDIC "<?xml ve"
    EXPECT_FALSE(safe(std::string("\0\0<\0\0\0?\0", 8)));    // UCS-4, order 2143
    EXPECT_FALSE(safe(std::string("\0<\0\0\0?\0\0", 8)));    // UCS-4, order 3412
    EXPECT_FALSE(safe(std::string("<\0\0\x4E", 4)));         // no known layout
    EXPECT_FALSE(safe("<?xml version=\"1.0\" encoding=\"UTF-7\"?><rss/>"));
    EXPECT_FALSE(safe("<?xml version='1.0' encoding='iso-2022-jp'?><rss/>"));
    EXPECT_FALSE(safe("<?xml version=\"1.0\" encoding=\"IBM037\"?><rss/>"));
    // ASCII-compatible encodings stay readable.
    EXPECT_TRUE(safe("<?xml version=\"1.0\" encoding=\"windows-1252\"?><rss/>"));
    EXPECT_TRUE(safe("<?xml version=\"1.0\" encoding=\"ibm850\"?><rss/>"));
    EXPECT_TRUE(safe("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><rss/>"));
}

TEST(DoctypeCheck, PredefinedReferencesInEntitiesPassOthersDoNot) {
    EXPECT_TRUE(safe("<!DOCTYPE rss [<!ENTITY c \"AT&amp;T\">]><rss>&c;</rss>"));
    EXPECT_TRUE(
        safe("<!DOCTYPE rss [<!ENTITY c '&lt;b&gt; &quot;q&quot; &apos;a&apos; &#169;&#xA9;'>]><rss/>"));
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY a \"x\"><!ENTITY c \"&a;\">]><rss/>"));
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY c \"&amp\">]><rss/>"));
    // A character reference to '&' becomes a reference again where the entity is used.
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY a \"x\"><!ENTITY c \"&#38;a;&#38;a;\">]><rss/>"));
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY a \"x\"><!ENTITY c \"&#x026;a;\">]><rss/>"));
    // A default attribute value would be expanded for every element.
    EXPECT_FALSE(safe("<!DOCTYPE rss [<!ENTITY a \"x\"><!ATTLIST item n CDATA \"&a;&a;\">]><rss/>"));
    EXPECT_TRUE(safe("<!DOCTYPE rss [<!ATTLIST item n CDATA \"a &amp; b\">]><rss/>"));
}

// One large entity used often: the text all references add is bounded, whatever the nesting.
TEST(DoctypeCheck, ReferencesMayAddOnlyBoundedText) {
    const std::string entity = "<!DOCTYPE rss [<!ENTITY big \"" + std::string(100 * 1024, 'x') + "\">]>";
    auto references = [](size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i)
            text += "&big;";
        return text;
    };
    auto feed = [&](const std::string& description) {
        return entity + "<rss><channel><description>" + description + "</description></channel></rss>";
    };
    const size_t fitting = kMaxEntityExpansion / (100 * 1024);
    const std::string over = references(fitting + 1);
    EXPECT_TRUE(safe(feed(references(fitting))));
    EXPECT_FALSE(safe(feed(over)));
    EXPECT_FALSE(safe(feed(references(20000))));
    EXPECT_FALSE(safe(widened(feed(over), 2, true)));
    EXPECT_FALSE(safe(entity + "<rss a=\"" + over + "\"/>"));
    // In comments and CDATA sections nothing is expanded.
    EXPECT_TRUE(safe(feed("<!-- " + over + " -->")));
    EXPECT_TRUE(safe(feed("<![CDATA[ " + over + " ]]>")));
    // Other entities and undeclared names add nothing.
    EXPECT_TRUE(safe(entity + "<rss>" + std::string(100000, '&') + "&amp;&other;&#38;</rss>"));
}

}  // namespace
}  // namespace corvane
