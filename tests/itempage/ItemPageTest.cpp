#include "itempage/ItemPage.h"

#include <gtest/gtest.h>

#include <memory>

namespace corvane {
namespace {

RSSItem makeItem() {
    RSSItem item;
    item.title = u"Title";
    item.link = u"http://example.com/article";
    item.description = u"<b>Description</b>";
    item.author = u"Author";
    return item;
}

std::u16string page(std::u16string_view date, std::u16string_view title, std::u16string_view description,
                    std::u16string_view link, std::u16string_view enclosure,
                    std::u16string_view enclosureText, std::u16string_view author) {
    std::u16string text = u"<div id='content'><div id='datespan'>";
    text += date;
    text += u"</div><h1>";
    text += title;
    text += u"</h1><h2>";
    text += description;
    text += u"</h2><p></p></div><div id='bottom'><table width='100%'><tr><td class='bottomleft'><a href='";
    text += link;
    text += u"' title='";
    text += link;
    text += u"'>Original article link</a><br><a href='";
    text += enclosure;
    text += u"' title='";
    text += enclosure;
    text += u"'>";
    text += enclosureText;
    text += u"</a></td><td class='bottomright'>";
    text += author;
    text += u"</td></tr></table></div>";
    return text;
}

TEST(ItemPage, TemplateAndStyleSheetAreTheFixedTexts) {
    EXPECT_EQ(itemPageTemplate().size(), 404u);
    EXPECT_EQ(itemPageStyleSheet().size(), 788u);
    EXPECT_TRUE(itemPageStyleSheet().starts_with(u"#datespan { color: #000;"));
    EXPECT_TRUE(itemPageStyleSheet().ends_with(u".bottomright { text-align:right;padding-right:10px; } "));
}

TEST(ItemPage, FillsEveryField) {
    RSSItem item = makeItem();
    item.hasDate = true;
    item.publishedTime = SystemTime{2003, 6, 1, 9, 23, 0, 59, 0};
    item.enclosure =
        std::make_unique<RSSEnclosure>(RSSEnclosure{u"http://example.com/a.mp3", 12, u"audio/mpeg"});
    EXPECT_EQ(renderItemBody(item),
              page(u"2003-06-09 23:00", u"Title", u"<b>Description</b>", u"http://example.com/article",
                   u"http://example.com/a.mp3", u"Attachment", u"Author"));
}

TEST(ItemPage, MissingDateEnclosureAndLinkLeaveEmptyPlaces) {
    RSSItem item = makeItem();
    item.link.clear();
    EXPECT_EQ(renderItemBody(item), page(u"", u"Title", u"<b>Description</b>", u"", u"", u"", u"Author"));
}

TEST(ItemPage, DateIsShownAsParsedWithWideYears) {
    RSSItem item;
    item.hasDate = true;
    item.publishedTime = SystemTime{10000, 12, 0, 31, 0, 5, 0, 0};
    EXPECT_EQ(formatItemDate(item), u"10000-12-31 00:05");
    item.hasDate = false;
    EXPECT_EQ(formatItemDate(item), u"");
}

TEST(ItemPage, FeedTextIsNeverSearchedForPlaceholders) {
    RSSItem item = makeItem();
    item.title = u"[[author_text]] [[date]]";
    item.description = u"See [[author_text]] and [[item_link]][[";
    item.author = u"[[title]]";
    EXPECT_EQ(renderItemBody(item),
              page(u"", u"[[author_text]] [[date]]", u"See [[author_text]] and [[item_link]][[",
                   u"http://example.com/article", u"", u"", u"[[title]]"));
}

TEST(ItemPage, FillTemplateInOnePass) {
    const PageField fields[] = {{u"[[a]]", u"[[b]]"}, {u"[[b]]", u"B"}, {u"[[ab]]", u"AB"}};
    EXPECT_EQ(fillTemplate(u"[[a]]|[[b]]|[[ab]]|[[c]]|[[|[[[b]]]", fields), u"[[b]]|B|AB|[[c]]|[[|[B]");
}

TEST(ItemPage, TitleAndAuthorAreText) {
    RSSItem item = makeItem();
    item.title = u"AT&T <script>alert(1)</script>";
    item.author = u"<img src=x onerror=alert(1)>";
    EXPECT_EQ(renderItemBody(item),
              page(u"", u"AT&amp;T &lt;script&gt;alert(1)&lt;/script&gt;", u"<b>Description</b>",
                   u"http://example.com/article", u"", u"", u"&lt;img src=x onerror=alert(1)&gt;"));
}

TEST(ItemPage, ContentShowsInPlaceOfDescriptionBothSanitized) {
    RSSItem item = makeItem();
    item.description = u"<p onclick='x()'>text<script>alert(1)</script>";
    std::vector<PageField> fields = itemPageFields(item);
    ASSERT_EQ(fields.size(), 9u);
    EXPECT_EQ(fields[4].placeholder, u"[[description]]");
    EXPECT_EQ(fields[4].value, u"<p>text</p>");
    EXPECT_EQ(fields[5].placeholder, u"[[content]]");
    EXPECT_EQ(fields[5].value, u"");

    item.content = u"<p onclick='x()'>whole<iframe src='http://evil/'></iframe></p>";
    fields = itemPageFields(item);
    EXPECT_EQ(fields[4].value, u"");
    EXPECT_EQ(fields[5].value, u"<p>whole</p>");
}

TEST(ItemPage, OnlyWebLinksFillTheTemplatesLinks) {
    RSSItem item = makeItem();
    item.link = u"javascript:alert(1)";
    item.enclosure = std::make_unique<RSSEnclosure>(RSSEnclosure{u"file:///c:/x.exe", 0, u""});
    EXPECT_EQ(renderItemBody(item),
              page(u"", u"Title", u"<b>Description</b>", u"", u"", u"Attachment", u"Author"));

    item.link = u" http://example.com/?a=1&b='2'\n";
    item.enclosure->url = u"HTTPS://example.com/a b.mp3";
    EXPECT_EQ(renderItemBody(item),
              page(u"", u"Title", u"<b>Description</b>", u"http://example.com/?a=1&amp;b=&#39;2&#39;",
                   u"HTTPS://example.com/a b.mp3", u"Attachment", u"Author"));
}

TEST(ItemPage, DocumentHoldsCharsetStyleSheetAndBody) {
    RSSItem item = makeItem();
    item.title = u"A <b> & C";
    const std::u16string document = renderItemDocument(item);
    EXPECT_TRUE(document.starts_with(u"<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"));
    EXPECT_NE(document.find(u"<title>A &lt;b&gt; &amp; C</title>"), std::u16string::npos);
    EXPECT_NE(document.find(u"default-src 'none'"), std::u16string::npos);
    const std::u16string style = u"<style>" + std::u16string(itemPageStyleSheet()) + u"</style>";
    EXPECT_NE(document.find(style), std::u16string::npos);
    EXPECT_NE(document.find(u"<body>" + renderItemBody(item) + u"</body>\n</html>\n"), std::u16string::npos);
}

}  // namespace
}  // namespace corvane
