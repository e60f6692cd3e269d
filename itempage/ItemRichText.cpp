#include "itempage/ItemRichText.h"

#include "itempage/HtmlRichText.h"
#include "itempage/HtmlSanitizer.h"
#include "itempage/ItemPage.h"
#include "itempage/WebLink.h"

namespace corvane {
namespace {

// The HTML page's margins (20 pixels around the content, 25 more before the description, 10 at
// the bottom links) in twips at 96 pixels to the inch.
constexpr int kContentMargin = 300;
constexpr int kTopMargin = 225;
constexpr int kDescriptionIndent = 375;
constexpr int kBottomMargin = 150;
constexpr uint32_t kTitleColor = 0x404050;

void appendLink(RichTextBuilder& out, std::u16string_view text, std::u16string_view url) {
    const bool link = isWebLink(url);
    if (link) out.beginLink(normalizeLink(url));
    out.text(text);
    if (link) out.endLink();
}

void appendMarkup(RichTextBuilder& out, std::u16string_view html) {
    if (html.empty()) return;
    out.pushBlock();
    out.block().indent += kDescriptionIndent;
    appendHtmlAsRichText(out, sanitizeHtml(html));
    out.endParagraph(true);
    out.popBlock();
}

}  // namespace

RichText renderItemRichText(const RSSItem& item) {
    RichTextBuilder out;
    out.block().indent = kContentMargin;
    out.block().rightIndent = kContentMargin;
    out.leaveSpace(kTopMargin);

    out.pushFormat();
    out.format().size = kItemRichTextSize - 1;
    out.text(formatItemDate(item));
    out.endParagraph();
    out.popFormat();

    out.pushFormat();
    out.format().size = kItemRichTextSize + 5;
    out.format().color = kTitleColor;
    out.text(item.title);
    out.endParagraph(true);
    out.popFormat();

    // The whole text where the feed gives one, in place of its teaser.
    appendMarkup(out, item.content.empty() ? item.description : item.content);

    out.endParagraph(true);
    out.block().indent = kBottomMargin;
    out.block().rightIndent = kBottomMargin;
    appendLink(out, u"Original article link", item.link);
    if (item.enclosure) {
        out.lineBreak();
        appendLink(out, u"Attachment", item.enclosure->url);
    }
    out.endParagraph();
    out.pushBlock();
    out.block().align = RichTextAlign::Right;
    out.text(item.author);
    out.endParagraph();
    out.popBlock();
    return out.finish();
}

}  // namespace corvane
