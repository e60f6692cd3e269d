#include "itempage/MarkupText.h"

#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace corvane {
namespace {

struct Case {
    const char* name;
    std::u16string markup;
    std::u16string text;
};

const Case kCases[] = {
    {"plain text stays", u"Storm warning for the coast", u"Storm warning for the coast"},
    {"inline tags leave no gap", u"About 200 people collected <b>1.4 tonnes</b> of waste",
     u"About 200 people collected 1.4 tonnes of waste"},
    {"inline tags inside a word", u"<i>re</i>use and c<span class=\"x\">at</span>", u"reuse and cat"},
    {"block tags and cells separate words", u"<table><tr><td>Departure</td><td>06:03</td></tr></table>Next",
     u"Departure 06:03 Next"},
    {"line breaks and paragraphs", u"one<br>two<br/>three<p>four</p><li>five", u"one two three four five"},
    {"nested tags", u"<div><p>Deep <a href=\"http://127.0.0.1/\"><em>nested <b>text</b></em></a></p></div>",
     u"Deep nested text"},
    {"named and numeric references", u"caf&eacute; &amp; bar &#8211; 5 &lt; 6 &#x263A; &hellip;",
     u"caf\u00E9 & bar \u2013 5 < 6 \u263A \u2026"},
    {"a reference that stands for markup stays text", u"&lt;b&gt;not bold&lt;/b&gt;", u"<b>not bold</b>"},
    {"no-break spaces and runs of white space collapse", u"  a \t\r\n b&nbsp;&nbsp;c\u00A0 ", u"a b c"},
    {"CDATA sections keep their text", u"before <![CDATA[<p>inner & raw</p>]]> after",
     u"before <p>inner & raw</p> after"},
    {"an unclosed CDATA section keeps the rest", u"x <![CDATA[tail", u"x tail"},
    {"scripts, styles and comments vanish", u"a<script>alert(1)</script>b<style>p{}</style>c<!-- note -->d",
     u"a b cd"},
    {"a less-than sign that opens no tag is text", u"3 < 4 and 5 <= 6", u"3 < 4 and 5 <= 6"},
    {"a tag cut off at the end is dropped", u"Text <a href=\"http://127.0.0.1/", u"Text"},
    {"stray end tags and unknown tags", u"</b>x</p><custom-tag a=1>y</custom-tag>", u"x y"},
    {"an ampersand that is no reference", u"AT&T & co &unknown;", u"AT&T & co &unknown;"},
    {"only markup gives nothing", u"<p> <br> </p><img src=\"x\">", u""},
    {"empty", u"", u""},
};

TEST(MarkupText, ShowsWhatAReaderSees) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toUtf8(markupAsText(c.markup)), toUtf8(c.text));
    }
}

TEST(MarkupText, LimitCutsTheTextNotTheMarkup) {
    EXPECT_EQ(markupAsText(u"<b>abc</b> <i>def</i>", 5), u"abc d");
    EXPECT_EQ(markupAsText(u"<b>abc</b> <i>def</i>", 3), u"abc");
    EXPECT_EQ(markupAsText(u"abc", 0), u"");
    // A huge field is read only as far as its text can fill the limit.
    std::u16string huge = u"<p>start</p>" + std::u16string(2'000'000, u'x');
    EXPECT_EQ(markupAsText(huge, 250).size(), 250u);
    EXPECT_EQ(markupAsText(huge, 250).substr(0, 7), u"start x");
}

}  // namespace
}  // namespace corvane
