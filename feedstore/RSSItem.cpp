#include "feedstore/RSSItem.h"

#include <limits>

#include "feedstore/ItemId.h"
#include "feedstore/PubDate.h"
#include "feedstore/XmlAccess.h"
#include "feedstore/XmlTextWriter.h"

namespace corvane {
namespace {

std::u16string childText(xml::Node& node, std::u16string_view path) {
    xml::NodePtr child = xml::selectNode(node, path);
    return xml::nodeText(child.get());
}

bool isDecimalSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

void RSSItem::makeItemId() {
    id = corvane::makeItemId(guid, hasDate ? &publishedTime : nullptr, title, link);
}

int32_t parseDecimal(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && isDecimalSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        if (value < kLimit) value = value * 10 + (text[i] - u'0');
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

std::unique_ptr<RSSItem> readItem(xml::Node& itemNode) {
    std::unique_ptr<RSSItem> item = readItemId(itemNode);
    readItemRest(itemNode, *item);
    return item;
}

std::unique_ptr<RSSItem> readItemId(xml::Node& itemNode) {
    auto item = std::make_unique<RSSItem>();
    item->title = childText(itemNode, u"./title");
    item->link = childText(itemNode, u"./link");
    item->pubDate = childText(itemNode, u"./pubDate");
    item->guid = childText(itemNode, u"./guid");
    item->id = childText(itemNode, u"./corvane_id");

    item->hasDate = parsePubDate(item->pubDate, &item->publishedTime);
    if (item->hasDate) item->publishedFileTime = systemTimeToFileTime(item->publishedTime);
    if (item->id.empty()) item->makeItemId();
    return item;
}

void readItemRest(xml::Node& itemNode, RSSItem& item) {
    item.description = childText(itemNode, u"./description");
    item.author = childText(itemNode, u"./author");
    item.content = childText(itemNode, u"./content");
    if (xml::NodePtr enclosure = xml::selectNode(itemNode, u"./enclosure")) {
        item.enclosure = std::make_unique<RSSEnclosure>();
        item.enclosure->url = xml::getAttributeText(*enclosure, u"url", u"");
        item.enclosure->length = parseDecimal(xml::getAttributeText(*enclosure, u"length", u""));
        item.enclosure->type = xml::getAttributeText(*enclosure, u"type", u"");
    }
    if (xml::NodePtr label = xml::selectNode(itemNode, u"./corvane_label"))
        item.label = parseDecimal(xml::nodeText(label.get()));
    if (xml::NodePtr unread = xml::selectNode(itemNode, u"./corvane_unread"))
        item.unread = isUnreadMark(xml::nodeText(unread.get()));
}

bool isUnreadMark(std::u16string_view text) {
    return parseDecimal(text) == 1;
}

namespace {

// The text children of a stored item, in the store file's order; the label and the enclosure follow.
struct TextField {
    const char16_t* name;
    const char* open;
    const char* close;
    std::u16string RSSItem::*member;
};
constexpr TextField kStoredTextFields[] = {
    {u"title", "<title>", "</title>", &RSSItem::title},
    {u"pubDate", "<pubDate>", "</pubDate>", &RSSItem::pubDate},
    {u"description", "<description>", "</description>", &RSSItem::description},
    {u"link", "<link>", "</link>", &RSSItem::link},
    {u"author", "<author>", "</author>", &RSSItem::author},
    {u"guid", "<guid>", "</guid>", &RSSItem::guid},
    {u"corvane_id", "<corvane_id>", "</corvane_id>", &RSSItem::id},
};

}  // namespace

void writeItemText(XmlTextWriter& out, const RSSItem& item) {
    out.markup("<item>");
    for (const TextField& field : kStoredTextFields) {
        out.markup(field.open);
        out.text(item.*field.member);
        out.markup(field.close);
        // Written only where there is one, so a store without any stays as earlier versions wrote it.
        if (field.member == &RSSItem::description && !item.content.empty()) {
            out.markup("<content>");
            out.text(item.content);
            out.markup("</content>");
        }
    }
    out.markup("<corvane_label>");
    out.decimal(item.label);
    out.markup("</corvane_label>");
    // Only unread messages carry the mark, so a store of read ones reads the same to older versions.
    if (item.unread) out.markup("<corvane_unread>1</corvane_unread>");
    if (item.enclosure) {
        out.markup("<enclosure url=\"");
        out.attribute(item.enclosure->url);
        out.markup("\" length=\"");
        out.decimal(item.enclosure->length);
        out.markup("\" type=\"");
        out.attribute(item.enclosure->type);
        out.markup("\"/>");
    }
    out.markup("</item>");
}

size_t itemTextSize(const RSSItem& item) {
    constexpr size_t kMarkup = 240;  // the tags, a label, the unread mark and an enclosure's length
    size_t units = 0;
    for (const TextField& field : kStoredTextFields)
        units += (item.*field.member).size();
    units += item.content.size();
    if (item.enclosure) units += item.enclosure->url.size() + item.enclosure->type.size();
    return kMarkup + units;
}

}  // namespace corvane
