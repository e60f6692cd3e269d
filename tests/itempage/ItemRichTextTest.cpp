#include "itempage/ItemRichText.h"

#include <gtest/gtest.h>

#include <memory>

namespace corvane {
namespace {

RSSItem fullItem() {
    RSSItem item;
    item.title = u"A <b>title</b>";
    item.link = u"http://example.com/article";
    item.description = u"<p>Some <b>news</b></p>";
    item.author = u"Author";
    item.hasDate = true;
    item.publishedTime = SystemTime{2003, 6, 1, 9, 23, 0, 59, 0};
    item.enclosure =
        std::make_unique<RSSEnclosure>(RSSEnclosure{u"http://example.com/a.mp3", 12, u"audio/mpeg"});
    return item;
}

TEST(ItemRichText, ShowsEveryFieldInThePageOrder) {
    const RichText page = renderItemRichText(fullItem());
    EXPECT_EQ(page.text,
              u"2003-06-09 23:00\rA <b>title</b>\rSome news\rOriginal article link\rAttachment\rAuthor");
    ASSERT_EQ(page.links.size(), 2u);
    EXPECT_EQ(page.text.substr(page.links[0].start, page.links[0].length), u"Original article link");
    EXPECT_EQ(page.links[0].url, u"http://example.com/article");
    EXPECT_EQ(page.text.substr(page.links[1].start, page.links[1].length), u"Attachment");
    EXPECT_EQ(page.links[1].url, u"http://example.com/a.mp3");
    EXPECT_EQ(page.paragraphs.back().align, RichTextAlign::Right);
    EXPECT_GT(page.spans[1].format.size, kItemRichTextSize);  // the title, after the date
}

TEST(ItemRichText, ContentShowsInPlaceOfDescriptionSanitized) {
    RSSItem item = fullItem();
    item.content = u"<p>The <i>whole</i> story<script>alert(1)</script></p>";
    EXPECT_EQ(
        renderItemRichText(item).text,
        u"2003-06-09 23:00\rA <b>title</b>\rThe whole story\rOriginal article link\rAttachment\rAuthor");
}

TEST(ItemRichText, MissingFieldsLeaveNoEmptyLines) {
    RSSItem item;
    item.title = u"Title";
    EXPECT_EQ(renderItemRichText(item).text, u"Title\rOriginal article link");
    EXPECT_TRUE(renderItemRichText(item).links.empty());
}

TEST(ItemRichText, LinksThatAreNotWebLinksArePlainText) {
    RSSItem item = fullItem();
    item.link = u"javascript:alert(1)";
    item.enclosure->url = u"file:///c:/windows/system32/calc.exe";
    const RichText page = renderItemRichText(item);
    EXPECT_TRUE(page.links.empty());
    EXPECT_NE(page.text.find(u"Original article link\rAttachment"), std::u16string::npos);
}

TEST(ItemRichText, DescriptionIsIndentedBeyondTheTitle) {
    const RichText page = renderItemRichText(fullItem());
    const auto paragraphOf = [&](std::u16string_view text) {
        const size_t position = page.text.find(text);
        for (const RichTextParagraph& paragraph : page.paragraphs)
            if (position >= paragraph.start && position < paragraph.start + paragraph.length)
                return paragraph;
        return RichTextParagraph{};
    };
    EXPECT_GT(paragraphOf(u"Some").indent, paragraphOf(u"title").indent);
    EXPECT_GT(paragraphOf(u"title").indent, 0);
}

}  // namespace
}  // namespace corvane
