#include <gtest/gtest.h>

#include <string>

#include "feedstore/XmlByteScreen.h"

namespace corvane {
namespace {

std::span<const uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// The verdict must not depend on how the bytes were cut, so each text is screened whole and byte by byte.
bool passes(const std::string& text) {
    XmlByteScreen whole;
    whole.feed(bytesOf(text));
    XmlByteScreen pieces;
    for (size_t i = 0; i < text.size(); ++i)
        pieces.feed(bytesOf(text).subspan(i, 1));
    EXPECT_EQ(whole.clean(), pieces.clean()) << text;
    EXPECT_EQ(whole.endTags(), pieces.endTags()) << text;
    return whole.clean();
}

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

TEST(XmlByteScreen, StoresAsOurWriterMakesThemPass) {
    EXPECT_TRUE(passes(kDeclaration + "<rss version=\"2.0\"><channel/></rss>\n"));
    EXPECT_TRUE(passes("\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?><rss/>"));
    EXPECT_TRUE(
        passes("<rss><channel><item><title>&lt;b&gt; &amp; &quot;&apos; &#233;&#xE9;&#x20;&#32;</title>"
               "</item></channel></rss>"));
    EXPECT_TRUE(passes("<rss><t>\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80 \xEF\xBF\xBD</t></rss>"));
}

TEST(XmlByteScreen, CountsEndTags) {
    XmlByteScreen screen;
    screen.feed(bytesOf(kDeclaration + "<rss><channel><item><title>t</title><e/></item></channel></rss>"));
    EXPECT_EQ(screen.endTags(), 4u);
}

TEST(XmlByteScreen, ReferencesTheWindowsReaderChangesAreFlagged) {
    for (const char* reference :
         {"&#13;", "&#9;", "&#10;", "&#xD;", "&#x1F600;", "&#128512;", "&#0;", "&#xD800;", "&#1;", "&#xFFFE;",
          "&undefined;", "&#;", "&#x;", "&#12a;", "&amp"})
        EXPECT_FALSE(passes("<rss><t>" + std::string(reference) + "</t></rss>")) << reference;
    EXPECT_FALSE(passes("<rss><e a=\"x&#9;y\"/></rss>"));
}

TEST(XmlByteScreen, MalformedOrForeignBytesAreFlagged) {
    const std::string bad[] = {
        "<rss>\x80</rss>",              // a lone continuation byte
        "<rss>\xC0\xAF</rss>",          // an overlong form
        "<rss>\xED\xA0\x80</rss>",      // a surrogate
        "<rss>\xF4\x90\x80\x80</rss>",  // beyond U+10FFFF
        "<rss>\xEF\xBF\xBE</rss>",      // U+FFFE
        "<rss>\x01</rss>",              // a control character
        "<rss>\xC3",                    // cut off inside a character
        "\xFF\xFE<\0r\0/\0>\0",         // UTF-16
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><rss/>",
        "<?xml version=\"1.0\" encoding=\"utf-8\"",  // a declaration never closed
    };
    for (const std::string& text : bad)
        EXPECT_FALSE(passes(text)) << text;
}

TEST(XmlByteScreen, MarkupThatCouldHideAMissingEndTagIsFlagged) {
    for (const char* text :
         {"<!DOCTYPE rss><rss/>", "<rss><!-- </rss> --></rss>", "<rss><![CDATA[</x>]]></rss>",
          "<rss><?pi </x>?></rss>", "<?pi?><rss/>", "<?xml-stylesheet href='a'?><rss/>"})
        EXPECT_FALSE(passes(text)) << text;
}

// Our stores end in room for messages to come; an update killed while writing into it leaves them there.
TEST(XmlByteScreen, TheRoomOurStoresEndInIsPassedOver) {
    const std::string store = kDeclaration + "<rss><channel><item><title>t</title></item></channel></rss>\n";
    for (const std::string room :
         {"<?corvane-room     ?>\n", "<?corvane-room?>", "<?corvane-room\n?>",
          "<?corvane-room <item><title>\xC3\xA9 &amp; ? > </title></item></channel></rss>\n ?>"}) {
        EXPECT_TRUE(passes(store + room)) << room;
        XmlByteScreen screen;
        screen.feed(bytesOf(store + room));
        EXPECT_EQ(screen.endTags(), 4u) << room;
    }
    for (const std::string other :
         {"<?corvane-room ", "<?corvane-room ?", "<?corvane-rooms ?>", "<?corvane-roo ?>",
          "<?Corvane-room ?>", "<?corvane-r\xC3\xA9om ?>", "<? corvane-room ?>"})
        EXPECT_FALSE(passes(store + other)) << other;
}

}  // namespace
}  // namespace corvane
