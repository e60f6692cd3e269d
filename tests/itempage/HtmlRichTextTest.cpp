#include "itempage/HtmlRichText.h"

#include <gtest/gtest.h>

#include "itempage/HtmlSanitizer.h"

namespace corvane {
namespace {

RichText fromHtml(std::u16string_view html) {
    RichTextBuilder builder;
    appendHtmlAsRichText(builder, sanitizeHtml(html));
    return builder.finish();
}

const RichTextFormat& formatAt(const RichText& page, size_t position) {
    for (const RichTextSpan& span : page.spans)
        if (position >= span.start && position < span.start + span.length) return span.format;
    ADD_FAILURE() << "no format at " << position;
    static const RichTextFormat none;
    return none;
}

const RichTextParagraph& paragraphAt(const RichText& page, size_t position) {
    for (const RichTextParagraph& paragraph : page.paragraphs)
        if (position >= paragraph.start && position <= paragraph.start + paragraph.length) return paragraph;
    ADD_FAILURE() << "no paragraph at " << position;
    static const RichTextParagraph none;
    return none;
}

size_t at(const RichText& page, std::u16string_view text) {
    const size_t position = page.text.find(text);
    EXPECT_NE(position, std::u16string::npos);
    return position;
}

TEST(HtmlRichText, SpansAndParagraphsCoverTheTextInOrder) {
    const RichText page = fromHtml(u"<p>one <b>two</b></p><ul><li>three</li></ul><pre>x\n y</pre>end");
    size_t next = 0;
    for (const RichTextSpan& span : page.spans) {
        EXPECT_EQ(span.start, next);
        EXPECT_GT(span.length, 0u);
        next = span.start + span.length;
    }
    EXPECT_EQ(next, page.text.size());
    next = 0;
    for (const RichTextParagraph& paragraph : page.paragraphs) {
        EXPECT_EQ(paragraph.start, next);
        next = paragraph.start + paragraph.length + 1;
    }
    EXPECT_EQ(next, page.text.size() + 1);
}

TEST(HtmlRichText, WhiteSpaceCollapsesAndEntitiesAreDecoded) {
    EXPECT_EQ(fromHtml(u"  a \n\t b&amp;c&nbsp;d &lt;e&gt;  ").text, u"a b&c\u00A0d <e>");
    EXPECT_EQ(fromHtml(u"<p> one </p>  <p>  two</p>").text, u"one\rtwo");
    EXPECT_EQ(fromHtml(u"").text, u"");
    EXPECT_TRUE(fromHtml(u"  ").paragraphs.empty());
}

TEST(HtmlRichText, BlocksAndLineBreaksMakeParagraphs) {
    const RichText page = fromHtml(u"<p>one</p><p>two<br>three</p><div>four</div>five<br><br>six");
    EXPECT_EQ(page.text, u"one\rtwo\rthree\rfour\rfive\r\rsix");
    EXPECT_EQ(paragraphAt(page, at(page, u"one")).spaceBefore, 0);
    EXPECT_GT(paragraphAt(page, at(page, u"two")).spaceBefore, 0);
    EXPECT_EQ(paragraphAt(page, at(page, u"three")).spaceBefore, 0);
    EXPECT_GT(paragraphAt(page, at(page, u"four")).spaceBefore, 0);
}

TEST(HtmlRichText, CharacterFormatsStandWhereTheMarkupPutThem) {
    const RichText page = fromHtml(
        u"a <b>bold</b> <strong>strong</strong> <i>it</i> <em>em</em> <u>under</u> <s>gone</s> "
        u"<code>code</code> <font color=\"#f00\">red</font> <b><i>both</i></b> z");
    EXPECT_EQ(page.text, u"a bold strong it em under gone code red both z");
    EXPECT_FALSE(formatAt(page, 0).bold);
    EXPECT_TRUE(formatAt(page, at(page, u"bold")).bold);
    EXPECT_TRUE(formatAt(page, at(page, u"bold") + 3).bold);
    EXPECT_FALSE(formatAt(page, at(page, u"bold") + 4).bold);
    EXPECT_TRUE(formatAt(page, at(page, u"strong")).bold);
    EXPECT_TRUE(formatAt(page, at(page, u"it")).italic);
    EXPECT_TRUE(formatAt(page, at(page, u"em")).italic);
    EXPECT_TRUE(formatAt(page, at(page, u"under")).underline);
    EXPECT_TRUE(formatAt(page, at(page, u"gone")).strikeout);
    EXPECT_TRUE(formatAt(page, at(page, u"code")).fixedPitch);
    EXPECT_EQ(formatAt(page, at(page, u"red")).color, 0xFF0000u);
    const RichTextFormat& both = formatAt(page, at(page, u"both"));
    EXPECT_TRUE(both.bold && both.italic);
    EXPECT_EQ(formatAt(page, at(page, u" z") + 1), RichTextFormat{});
}

TEST(HtmlRichText, HeadingsAreLargeBoldParagraphs) {
    const RichText page = fromHtml(u"intro<h1>Big</h1><h3>Small</h3>after");
    EXPECT_EQ(page.text, u"intro\rBig\rSmall\rafter");
    const RichTextFormat& big = formatAt(page, at(page, u"Big"));
    const RichTextFormat& small = formatAt(page, at(page, u"Small"));
    EXPECT_TRUE(big.bold && small.bold);
    EXPECT_GT(big.size, small.size);
    EXPECT_FALSE(formatAt(page, at(page, u"after")).bold);
    EXPECT_GT(paragraphAt(page, at(page, u"after")).spaceBefore, 0);
}

TEST(HtmlRichText, ListsHaveBulletsOrNumbersAndIndent) {
    const RichText page = fromHtml(
        u"<ul><li>a</li><li>b<ul><li>inner</li></ul></li></ul>"
        u"<ol start=\"3\"><li>c</li><li value=\"9\">d</li><li>e</li></ol>"
        u"<ol type=\"a\"><li>x</li><li>y</li></ol><ol "
        u"type=\"I\"><li>p</li><li>q</li><li>r</li><li>s</li></ol>");
    EXPECT_EQ(page.text,
              u"\u2022 a\r\u2022 b\r\u25E6 inner\r3. c\r9. d\r10. e\ra. x\rb. y\rI. p\rII. q\rIII. r\rIV. s");
    const int outer = paragraphAt(page, at(page, u"a")).indent;
    EXPECT_GT(outer, 0);
    EXPECT_GT(paragraphAt(page, at(page, u"inner")).indent, outer);
    EXPECT_EQ(paragraphAt(page, at(page, u"c")).indent, outer);
}

TEST(HtmlRichText, QuotationsAreIndentedOnBothSides) {
    const RichText page = fromHtml(u"before<blockquote>quoted <p>more</p></blockquote>after");
    EXPECT_EQ(page.text, u"before\rquoted\rmore\rafter");
    EXPECT_GT(paragraphAt(page, at(page, u"quoted")).indent, 0);
    EXPECT_GT(paragraphAt(page, at(page, u"more")).rightIndent, 0);
    EXPECT_EQ(paragraphAt(page, at(page, u"after")).indent, 0);
}

TEST(HtmlRichText, PreformattedTextKeepsItsSpacesAndLinesInAFixedFont) {
    const RichText page = fromHtml(u"<pre>\nint  main()\n{\n\treturn 0;\n}</pre>next  word");
    EXPECT_EQ(page.text, u"int  main()\r{\r\treturn 0;\r}\rnext word");
    EXPECT_TRUE(formatAt(page, at(page, u"\treturn")).fixedPitch);
    EXPECT_FALSE(formatAt(page, at(page, u"next")).fixedPitch);
}

TEST(HtmlRichText, OnlyWebLinksBecomeLinks) {
    const RichText page = fromHtml(
        u"see <a href=\"https://example.com/a?b=1&amp;c=2\">this <b>page</b></a>, "
        u"<a href=\"javascript:alert(1)\">script</a>, <a href=\"mailto:x@example.com\">mail</a>, "
        u"<a href=\"file:///etc/passwd\">file</a> and <a href=\" HTTP://example.com/x \">caps</a>");
    EXPECT_EQ(page.text, u"see this page, script, mail, file and caps");
    ASSERT_EQ(page.links.size(), 2u);
    EXPECT_EQ(page.links[0].start, at(page, u"this"));
    EXPECT_EQ(page.links[0].length, 9u);
    EXPECT_EQ(page.links[0].url, u"https://example.com/a?b=1&c=2");
    EXPECT_EQ(page.links[1].url, u"HTTP://example.com/x");
    EXPECT_EQ(page.linkAt(at(page, u"page")), &page.links[0]);
    EXPECT_EQ(page.linkAt(at(page, u"script")), nullptr);
    EXPECT_EQ(page.linkAt(at(page, u"mail")), nullptr);
    EXPECT_EQ(page.linkAt(at(page, u"page") + 4), nullptr);
}

TEST(HtmlRichText, TabWalksTheLinksInTextOrderAndLeavesPastEitherEnd) {
    const RichText page = fromHtml(
        u"<a href=\"http://a.example/\">one</a> text <a href=\"http://b.example/\">two</a> "
        u"<i>more</i> <a href=\"https://c.example/\">three</a> end");
    ASSERT_EQ(page.links.size(), 3u);
    const size_t one = at(page, u"one"), two = at(page, u"two"), three = at(page, u"three");
    // From a selection (start, end) to the link Tab or Shift+Tab selects; -1: the page is left.
    const struct {
        size_t start, end;
        bool backwards;
        int link;
    } steps[] = {
        {0, 0, false, 0},          // the top of the page: the first link
        {one, one + 3, false, 1},  // from a link to the next
        {two, two + 3, false, 2},
        {three, three + 5, false, -1},  // past the last
        {three, three + 5, true, 1},    // and back
        {one, one + 3, true, -1},       // before the first
        {0, 0, true, -1},
        {two + 1, two + 1, false, 2},                     // a click inside a link: on to the next one
        {at(page, u"more"), at(page, u"more"), true, 1},  // from plain text: the nearest link before it
        {page.text.size(), page.text.size(), true, 2},
    };
    for (const auto& step : steps) {
        const RichTextLink* link = page.linkForTab(step.start, step.end, step.backwards);
        EXPECT_EQ(link, step.link < 0 ? nullptr : &page.links[static_cast<size_t>(step.link)])
            << step.start << (step.backwards ? " backwards" : " forwards");
    }
}

TEST(HtmlRichText, ImagesShowTheirAlternativeTextAndHiddenMarkupShowsNothing) {
    const RichText page = fromHtml(
        u"a<img src=\"http://example.com/i.png\" alt=\"[chart]\">b<img src=\"http://example.com/j.png\">c"
        u"<script>alert(1)</script><style>p{}</style><!-- note -->d<unknown>e</unknown>");
    EXPECT_EQ(page.text, u"a[chart]bcde");
}

TEST(HtmlRichText, TableRowsAreLinesWithCellsApart) {
    const RichText page =
        fromHtml(u"<table><tr><th>Name</th><th>Size</th></tr><tr><td>a</td><td>1</td></tr></table>after");
    EXPECT_EQ(page.text, u"Name\tSize\ra\t1\rafter");
    EXPECT_TRUE(formatAt(page, at(page, u"Size")).bold);
    EXPECT_FALSE(formatAt(page, at(page, u"a\t")).bold);
}

TEST(HtmlRichText, TableColumnsLineUpAfterTheirWidestCell) {
    const RichText page = fromHtml(
        u"<table><caption>Winter ferries from the old harbour</caption><tr><td>Departure</td><td>07:15</td>"
        u"<td>pier</td></tr><tr><td>Return</td><td>18:40</td></tr><tr><td></td><td>late</td></tr></"
        u"table>after");
    EXPECT_EQ(page.text,
              u"Winter ferries from the old harbour\rDeparture\t07:15\tpier\rReturn\t18:40\r\tlate\rafter");
    const std::vector<int>& stops = paragraphAt(page, at(page, u"Departure")).tabStops;
    ASSERT_EQ(stops.size(), 2u);
    EXPECT_LT(stops[0], stops[1]);
    EXPECT_EQ(paragraphAt(page, at(page, u"Return")).tabStops, stops);
    EXPECT_EQ(paragraphAt(page, at(page, u"late")).tabStops, stops);
    EXPECT_TRUE(paragraphAt(page, at(page, u"after")).tabStops.empty());
    EXPECT_TRUE(paragraphAt(page, 0).tabStops.empty());
    EXPECT_EQ(fromHtml(u"<table><tr><td>Departure</td><td>07:15</td><td>pier</td></tr></table>")
                  .paragraphs[0]
                  .tabStops,
              stops);

    // A wider first column moves the stops on; an indented table keeps them past its indent.
    const RichText narrow = fromHtml(u"<table><tr><td>Out</td><td>07:15</td><td>pier</td></tr></table>");
    EXPECT_LT(paragraphAt(narrow, 0).tabStops[0], stops[0]);
    const RichText quoted = fromHtml(
        u"<blockquote><table><tr><td>Departure</td><td>07:15</td><td>pier</td></tr></table></blockquote>");
    const RichTextParagraph& row = paragraphAt(quoted, 0);
    ASSERT_GT(row.indent, 0);
    EXPECT_EQ(row.tabStops, (std::vector<int>{stops[0] + row.indent, stops[1] + row.indent}));
}

TEST(HtmlRichText, NestedAndUnclosedTablesLineUpAsOne) {
    const RichText nested =
        fromHtml(u"<table><tr><td>a</td><td><table><tr><td>bb</td><td>c</td></tr></table></td></tr></table>");
    for (const RichTextParagraph& paragraph : nested.paragraphs)
        EXPECT_EQ(paragraph.tabStops, nested.paragraphs.front().tabStops);
    const RichText unclosed = fromHtml(u"<table><tr><td>Departure</td><td>07:15");
    ASSERT_EQ(unclosed.paragraphs.size(), 1u);
    EXPECT_EQ(unclosed.paragraphs[0].tabStops.size(), 1u);
}

TEST(HtmlRichText, UnclosedMarkupEndsWithTheText) {
    const RichText page = fromHtml(u"<b>bold <a href=\"http://example.com/\">link");
    EXPECT_EQ(page.text, u"bold link");
    ASSERT_EQ(page.links.size(), 1u);
    EXPECT_EQ(page.links[0].start + page.links[0].length, page.text.size());
}

}  // namespace
}  // namespace corvane
