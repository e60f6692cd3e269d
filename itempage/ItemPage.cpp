#include "itempage/ItemPage.h"

#include "itempage/HtmlSanitizer.h"
#include "itempage/HtmlText.h"
#include "itempage/WebLink.h"
#include "platform/WideFormat.h"

namespace corvane {
namespace {

constexpr std::u16string_view kTemplate =
    u"<div id='content'><div id='datespan'>[[date]]</div><h1>[[title]]</h1><h2>[[description]]</h2>"
    u"<p>[[content]]</p></div><div id='bottom'><table width='100%'><tr><td class='bottomleft'>"
    u"<a href='[[item_link]]' title='[[item_link]]'>[[item_link_text]]</a><br>"
    u"<a href='[[enclosure_link]]' title='[[enclosure_link]]'>[[enclosure_link_text]]</a></td>"
    u"<td class='bottomright'>[[author_text]]</td></tr></table></div>";

constexpr std::u16string_view kStyleSheet =
    u"#datespan { color: #000; font-size: 0.8em; padding-right: 20px; } "
    u"body { font-family: Tahoma, Verdana, sans, sans-serif; margin: 0px; background: #FFFFFF; } "
    u"h1 { color: #404050; font-weight: normal; font-size: 1em; letter-spacing: 2px; "
    u"border-bottom: #D4E6EA solid 1px; margin-top: 4px;} "
    u"h2 { color: #000000; font-weight: normal; font-size: 1em; padding: 0px 0px 0px 25px; } "
    u"#content { margin-left: 20px; margin-right: 20px; margin-top: 15px; } "
    u"p, li { font-size: 0.85em; letter-spacing: 1px; } "
    u"a:link, a:visited { background: transparent; text-decoration: none; color: #000000; } "
    u"a:active, a:hover { background: #f2f2f8; color: #000000; } "
    u"#bottom { border-top: #D4E6EA solid 1px; } "
    u".bottomleft { text-align:left;padding-left:10px; } "
    u".bottomright { text-align:right;padding-right:10px; } ";

// A link the page may point at, written for a quoted attribute; anything else leaves it empty.
std::u16string pageLink(std::u16string_view url) {
    return isWebLink(url) ? escapeHtmlAttribute(normalizeLink(url)) : std::u16string();
}

}  // namespace

std::u16string_view itemPageTemplate() {
    return kTemplate;
}
std::u16string_view itemPageStyleSheet() {
    return kStyleSheet;
}

std::u16string fillTemplate(std::u16string_view pageTemplate, std::span<const PageField> fields) {
    std::u16string page;
    page.reserve(pageTemplate.size());
    size_t pos = 0;
    while (pos < pageTemplate.size()) {
        const size_t open = pageTemplate.find(u"[[", pos);
        if (open == std::u16string_view::npos) break;
        page.append(pageTemplate.substr(pos, open - pos));
        pos = open;
        const std::u16string_view rest = pageTemplate.substr(open);
        const PageField* field = nullptr;
        for (const PageField& candidate : fields)
            if (!candidate.placeholder.empty() && rest.starts_with(candidate.placeholder)) field = &candidate;
        if (field) {
            page += field->value;
            pos += field->placeholder.size();
        } else {
            page += u'[';
            ++pos;
        }
    }
    page.append(pageTemplate.substr(pos));
    return page;
}

std::u16string formatItemDate(const RSSItem& item) {
    if (!item.hasDate) return {};
    const SystemTime& t = item.publishedTime;
    return formatWide(u"%04d-%02d-%02d %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
}

std::vector<PageField> itemPageFields(const RSSItem& item) {
    const bool hasEnclosure = item.enclosure != nullptr;
    std::vector<PageField> fields;
    fields.push_back({u"[[date]]", formatItemDate(item)});
    fields.push_back(
        {u"[[enclosure_link]]", hasEnclosure ? pageLink(item.enclosure->url) : std::u16string()});
    fields.push_back({u"[[enclosure_link_text]]", hasEnclosure ? u"Attachment" : u""});
    fields.push_back({u"[[title]]", escapeHtmlText(item.title)});
    // Where the feed gives the whole text, the description is mostly its teaser: one of the two shows.
    const bool hasContent = !item.content.empty();
    fields.push_back({u"[[description]]", hasContent ? std::u16string() : sanitizeHtml(item.description)});
    fields.push_back({u"[[content]]", hasContent ? sanitizeHtml(item.content) : std::u16string()});
    fields.push_back({u"[[item_link]]", pageLink(item.link)});
    fields.push_back({u"[[item_link_text]]", u"Original article link"});
    fields.push_back({u"[[author_text]]", escapeHtmlText(item.author)});
    return fields;
}

std::u16string renderItemBody(const RSSItem& item) {
    return fillTemplate(kTemplate, itemPageFields(item));
}

std::u16string renderItemDocument(const RSSItem& item) {
    std::u16string document =
        u"<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
        u"<meta http-equiv=\"Content-Security-Policy\" "
        u"content=\"default-src 'none'; img-src http: https:; style-src 'unsafe-inline'\">\n<title>";
    appendHtmlText(document, item.title);
    document += u"</title>\n<style>";
    document += kStyleSheet;
    document += u"</style>\n</head>\n<body>";
    document += renderItemBody(item);
    document += u"</body>\n</html>\n";
    return document;
}

}  // namespace corvane
