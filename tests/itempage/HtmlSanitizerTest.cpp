#include "itempage/HtmlSanitizer.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Utf.h"
#include "support/HtmlOutputCheck.h"

namespace corvane {
namespace {

using namespace std::string_view_literals;

struct Case {
    std::u16string_view input;  // with "sv" where it holds a NUL
    std::u16string_view expected;
};

// Every result keeps the promised shape and comes out unchanged when sanitized again.
void expectSanitized(std::u16string_view input, std::u16string_view expected) {
    const std::u16string output = sanitizeHtml(input);
    EXPECT_EQ(output, expected) << "input: " << toUtf8(input);
    EXPECT_EQ(testing::checkSanitizedHtml(output), "") << "input: " << toUtf8(input);
    EXPECT_EQ(sanitizeHtml(output), output) << "input: " << toUtf8(input);
}

void expectAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases)
        expectSanitized(c.input, c.expected);
}

TEST(SanitizeHtml, KeepsOrdinaryFormatting) {
    expectAll({
        {u"plain text", u"plain text"},
        {u"<p>Hello <b>bold</b>, <i>italic</i>, <em>em</em> and <strong>strong</strong></p>",
         u"<p>Hello <b>bold</b>, <i>italic</i>, <em>em</em> and <strong>strong</strong></p>"},
        {u"<H3 ALIGN=center>Title</H3><blockquote><pre>code</pre></blockquote>",
         u"<h3 align=\"center\">Title</h3><blockquote><pre>code</pre></blockquote>"},
        {u"line<br>break<br/>and<hr>rule", u"line<br>break<br>and<hr>rule"},
        {u"<font color=red face='Arial, sans' size=+1>f</font>",
         u"<font color=\"red\" face=\"Arial, sans\" size=\"+1\">f</font>"},
        {u"<span title='Tip' lang=en dir=rtl>t</span>",
         u"<span title=\"Tip\" lang=\"en\" dir=\"rtl\">t</span>"},
    });
}

TEST(SanitizeHtml, KeepsListsTablesImagesAndLinks) {
    expectAll({
        {u"<ul><li>a<li>b</ul><ol start=3 type=i><li value=7>c</ol>",
         u"<ul><li>a</li><li>b</li></ul><ol start=\"3\" type=\"i\"><li value=\"7\">c</li></ol>"},
        {u"<dl><dt>term<dd>meaning</dl>", u"<dl><dt>term</dt><dd>meaning</dd></dl>"},
        {u"<table border=1 width='100%'><tr><th colspan=2>h<tr><td>a<td valign=top>b</table>",
         u"<table border=\"1\" width=\"100%\"><tr><th colspan=\"2\">h</th></tr><tr><td>a</td><td "
         u"valign=\"top\">b</td></tr></table>"},
        {u"<img src='https://example.com/a.png' alt='A picture' width=20 height=10>",
         u"<img src=\"https://example.com/a.png\" alt=\"A picture\" width=\"20\" height=\"10\">"},
        {u"<a href='http://example.com/?a=1&b=2' title='t'>x</a> <a href='mailto:me@example.com'>m</a>",
         u"<a href=\"http://example.com/?a=1&amp;b=2\" title=\"t\">x</a> <a "
         u"href=\"mailto:me@example.com\">m</a>"},
    });
}

TEST(SanitizeHtml, DropsValuesThatAreNotPlain) {
    expectAll({
        {u"<img src='http://x/a.png' width='20px' height=' 5' border=1e3>", u"<img src=\"http://x/a.png\">"},
        {u"<font color='red;background:url(x)' face='\"a\"' size=12>f</font>", u"<font>f</font>"},
        {u"<td colspan=2>outside a table</td>", u"outside a table"},
    });
}

TEST(SanitizeHtml, ClosesWhatABrowserWouldCloseImplicitly) {
    expectAll({
        {u"<p>para<div>block</div>", u"<p>para</p><div>block</div>"},
        {u"<p><b>bold<ul><li>item</ul>", u"<p><b>bold</b></p><ul><li>item</li></ul>"},
        {u"<b><i>x</b>y</i>", u"<b><i>x</i></b>y"},
        {u"<a href='http://a/'>1<a href='http://b/'>2</a>",
         u"<a href=\"http://a/\">1</a><a href=\"http://b/\">2</a>"},
        {u"<h1>one<h2>two</h1>three", u"<h1>one</h1><h2>two</h2>three"},
        {u"<table><td>a<td>b<tr><td>c</table>",
         u"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>"},
        {u"<table><tr><td>a<table><tr><td>inner</table>after</table>",
         u"<table><tr><td>a<table><tr><td>inner</td></tr></table>after</td></tr></table>"},
        {u"<table><table><tr><td>x</table></table>", u"<table></table><table><tr><td>x</td></tr></table>"},
        {u"<table><colgroup><col span=2><b>x</b></table>",
         u"<table><colgroup><col span=\"2\"></colgroup><b>x</b></table>"},
        {u"<div><table><tr><td></div>cell</table>", u"<div><table><tr><td>cell</td></tr></table></div>"},
        {u"</div></b></p>text</br>", u"text<br>"},
        {u"<b>bold", u"<b>bold</b>"},
    });
}

TEST(SanitizeHtml, KeepsTheTextOfDroppedFormattingOnly) {
    expectAll({
        {u"<marquee><blink>moving</blink></marquee>", u"moving"},
        {u"<form action='http://evil/'><input name=q><label>L</label><button>go</button></form>", u"Lgo"},
        {u"<a href='javascript:alert(1)'>still readable</a>", u"still readable"},
        {u"<textarea><b>t</b> &amp;</textarea>", u"&lt;b&gt;t&lt;/b&gt; &amp;"},
        {u"<xmp><script>alert(1)</script></xmp>", u"&lt;script&gt;alert(1)&lt;/script&gt;"},
        {u"<plaintext><b>x</b></plaintext>", u"&lt;b&gt;x&lt;/b&gt;&lt;/plaintext&gt;"},
        {u"<script>alert(1)</script><style>*{x:expression(alert(1))}</style><title>T</title>after", u"after"},
        {u"<iframe src='http://evil/'>fallback</iframe><noframes>nf</noframes><noembed>ne</noembed>after",
         u"after"},
        {u"<object data='http://evil/x'><param name=a value=b><embed src='http://evil/y'>fb</object>after",
         u"after"},
        {u"<svg><a xlink:href='javascript:alert(1)'><text>t</text></a></svg>after", u"after"},
        {u"<math><mi xlink:href='javascript:alert(1)'>x</mi></math>after", u"after"},
        {u"<svg/>after", u"after"},
        {u"<select><option>o</select><template><b>t</b></template><xml><x>d</x></xml>after", u"after"},
        {u"<meta http-equiv=refresh content='0;url=javascript:alert(1)'><base href='http://evil/'>"
         u"<link rel=stylesheet href='http://evil/x.css'>after",
         u"after"},
    });
}

TEST(SanitizeHtml, RemovesEventHandlersEverywhere) {
    expectAll({
        {u"<img src='http://x/a.png' onerror='alert(1)'>", u"<img src=\"http://x/a.png\">"},
        {u"<img src=x onerror=alert(1)>", u""},
        {u"<b onmouseover=alert(1)>t</b>", u"<b>t</b>"},
        {u"<P ONCLICK='a()' OnMouseOver=\"b()\">t</P>", u"<p>t</p>"},
        {u"<div/onclick=alert(1)>t</div>", u"<div>t</div>"},
        {u"<img src=\"http://x/\"onerror=\"alert(1)\">", u"<img src=\"http://x/\">"},
        {u"<img src=http://x/ onerror = alert(1)//>", u"<img src=\"http://x/\">"},
        {u"<a href='http://x/' onfocus=alert(1) autofocus>t</a>", u"<a href=\"http://x/\">t</a>"},
        {u"<table onmouseover=a()><tr onclick=b()><td onblur=c()>x</table>",
         u"<table><tr><td>x</td></tr></table>"},
        {u"<body onload=alert(1)>t</body>", u"t"},
        {u"<svg onload=alert(1)>", u""},
        {u"<img \"\"\" onerror=alert(1) src='http://x/'>", u"<img src=\"http://x/\">"},
        {u"<b =onclick=alert(1)>t</b>", u"<b>t</b>"},
    });
}

TEST(SanitizeHtml, RemovesStylesClassesAndIds) {
    expectAll({
        {u"<div style='background:url(javascript:alert(1))'>t</div>", u"<div>t</div>"},
        {u"<p class='bottomleft' id='content' name=n>t</p>", u"<p>t</p>"},
    });
}

TEST(SanitizeHtml, ReadsTagsTheWayABrowserDoes) {
    expectAll({
        {u"<scr<script>ipt>alert(1)</script>", u"ipt&gt;alert(1)"},
        {u"<<script>script>alert(1)<</script>/script>", u"&lt;/script&gt;"},
        {u"<script>a</scriptx>b</script>c", u"c"},
        {u"<SCRIPT>alert(1)</SCRIPT >after", u"after"},
        {u"<script src='http://evil/x.js'></script>", u""},
        {u"<noscript><p title=\"</noscript><img src=x onerror=alert(1)>\"></noscript>", u"\"&gt;"},
        {u"<title><img src=x onerror=alert(1)></title>", u""},
        {u"1 < 2 > 0 <3 </ 4", u"1 &lt; 2 &gt; 0 &lt;3 "},  // "</ " opens a bogus comment
        {u"&lt;script&gt;alert(1)&lt;/script&gt;", u"&lt;script&gt;alert(1)&lt;/script&gt;"},
        // A decoded CR stays one; a bare CR is a line break, as a browser reads it.
        {u"a&#13;b\r\nc\rd<b title='&#xd;'>t</b>", u"a&#13;b\nc\nd<b title=\"&#13;\">t</b>"},
        // A NUL is dropped from text and makes a tag name unknown.
        {u"a\0b<b\0>c</b\0>"sv, u"abc"},
    });
}

TEST(SanitizeHtml, DropsTagsCutOffByTheEnd) {
    expectAll({
        {u"<img src=\"http://x/a.png", u""},
        {u"text<a href='http://x/ onclick=alert(1) >t", u"text"},
        {u"<div title=\"x>t</div>", u""},
        {u"ok<b", u"ok"},
        {u"ok<b title", u"ok"},
        {u"ok<", u"ok&lt;"},
        {u"ok</", u"ok&lt;/"},
    });
}

TEST(SanitizeHtml, DropsCommentsCdataAndDeclarations) {
    expectAll({
        {u"<!-- <img src=x onerror=alert(1)> -->after", u"after"},
        {u"<!--><img src='http://x/' onerror=alert(1)>-->", u"<img src=\"http://x/\">--&gt;"},
        {u"<!---><b>x</b>", u"<b>x</b>"},
        {u"<!-- --!><b>x</b>", u"<b>x</b>"},
        {u"<!-- unterminated <script>alert(1)</script>", u""},
        {u"<![CDATA[<script>alert(1)</script>]]>", u"alert(1)]]&gt;"},
        {u"<!--[if IE]><script>alert(1)</script><![endif]-->", u""},
        {u"<![if IE]><b>x</b><![endif]>", u"<b>x</b>"},
        {u"<?xml version='1.0'?><!DOCTYPE html><b>x</b><?import namespace='t' implementation='x.htc'>",
         u"<b>x</b>"},
    });
}

TEST(SanitizeHtml, JudgesSchemesAfterDecodingReferences) {
    expectAll({
        {u"<a href='jav&#x61;script:alert(1)'>t</a>", u"t"},
        {u"<a href='jav&#x61script:alert(1)'>t</a>", u"t"},
        {u"<a href='&#106;&#97;&#118;&#97;&#115;&#99;&#114;&#105;&#112;&#116;&#58;alert(1)'>t</a>", u"t"},
        {u"<a href='&#0000106avascript:alert(1)'>t</a>", u"t"},
        {u"<a href='javascript&colon;alert(1)'>t</a>", u"t"},
        {u"<img src='jav&Tab;ascript:alert(1)'>", u""},
        {u"<a href='&#104;ttp://ok.example/'>t</a>", u"<a href=\"http://ok.example/\">t</a>"},
    });
}

TEST(SanitizeHtml, JudgesSchemesAsABrowserReadsThem) {
    expectAll({
        {u"<a href='java\tscript:alert(1)'>t</a>", u"t"},
        {u"<a href='java\nscript:alert(1)'>t</a>", u"t"},
        {u"<a href='java\rscript:alert(1)'>t</a>", u"t"},
        {u"<a href='  javascript:alert(1)'>t</a>", u"t"},
        {u"<a href='\x01javascript:alert(1)'>t</a>", u"t"},
        {u"<a href='java\x01script:alert(1)'>t</a>", u"t"},
        {u"<a href='java\0script:alert(1)'>t</a>"sv, u"t"},
        {u"<a href='jav\u00A0ascript:alert(1)'>t</a>", u"t"},
        {u"<a href='JaVaScRiPt:alert(1)'>t</a>", u"t"},
        {u"<a href='vbscript:msgbox(1)'>t</a><a href='data:text/html,<b>'>u</a>", u"tu"},
        {u"<a href='file:///c:/windows'>f</a><a href='//evil.example/x'>r</a><a href='\\\\srv\\share'>s</a>",
         u"frs"},
        {u"<img src='mailto:me@example.com'>", u""},
        {u"<a href=' ht\ttp://ok.example/\n '>t</a>", u"<a href=\"http://ok.example/\">t</a>"},
        {u"<a href='HTTPS://OK.example/'>t</a>", u"<a href=\"HTTPS://OK.example/\">t</a>"},
    });
}

TEST(SanitizeHtml, QuotesValuesSoTheyCannotEndEarly) {
    expectAll({
        {u"<img src='http://x/' alt='&quot; onerror=&quot;alert(1)'>",
         u"<img src=\"http://x/\" alt=\"&quot; onerror=&quot;alert(1)\">"},
        {u"<a href=\"http://x/'onmouseover='alert(1)\">t</a>",
         u"<a href=\"http://x/&#39;onmouseover=&#39;alert(1)\">t</a>"},
        {u"<img src='http://x/' alt='``onerror=alert(1)'>",
         u"<img src=\"http://x/\" alt=\"&#96;&#96;onerror=alert(1)\">"},
        {u"<b title='<script>'>t</b>", u"<b title=\"&lt;script&gt;\">t</b>"},
    });
}

TEST(SanitizeHtml, DeepNestingStaysBounded) {
    std::u16string deep;
    for (int i = 0; i < 5000; ++i)
        deep += u"<b><div>";
    const std::u16string output = sanitizeHtml(deep + u"x");
    EXPECT_EQ(testing::checkSanitizedHtml(output), "");
    EXPECT_EQ(sanitizeHtml(output), output);
    EXPECT_LT(output.size(), 4000u);
}

}  // namespace
}  // namespace corvane
