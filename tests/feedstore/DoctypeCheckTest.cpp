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

std::string utf16(std::string_view text, bool littleEndian) {
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : text) {
        if (littleEndian)
            out += {c, '\0'};
        else
            out += {'\0', c};
    }
    return out;
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
    // Starts this reader cannot follow: UCS-4, EBCDIC, nothing at all.
    EXPECT_TRUE(mayDeclareEntities(std::string("<\0\0\0?\0\0\0", 8)));
    EXPECT_TRUE(mayDeclareEntities("\x4C\x6F\xA7\x94"));
    EXPECT_TRUE(mayDeclareEntities(""));
}

}  // namespace
}  // namespace corvane
