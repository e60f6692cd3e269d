#include "feedstore/RSSItem.h"

#include <limits>

#include "feedstore/ItemId.h"
#include "feedstore/PubDate.h"
#include "feedstore/XmlAccess.h"

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
    auto item = std::make_unique<RSSItem>();
    item->title = childText(itemNode, u"./title");
    item->link = childText(itemNode, u"./link");
    item->description = childText(itemNode, u"./description");
    item->pubDate = childText(itemNode, u"./pubDate");
    item->guid = childText(itemNode, u"./guid");
    item->author = childText(itemNode, u"./author");

    if (xml::NodePtr enclosure = xml::selectNode(itemNode, u"./enclosure")) {
        item->enclosure = std::make_unique<RSSEnclosure>();
        item->enclosure->url = xml::getAttributeText(*enclosure, u"url", u"");
        item->enclosure->length = parseDecimal(xml::getAttributeText(*enclosure, u"length", u""));
        item->enclosure->type = xml::getAttributeText(*enclosure, u"type", u"");
    }
    if (xml::NodePtr label = xml::selectNode(itemNode, u"./corvane_label"))
        item->label = parseDecimal(xml::nodeText(label.get()));
    item->id = childText(itemNode, u"./corvane_id");

    item->hasDate = parsePubDate(item->pubDate, &item->publishedTime);
    if (item->hasDate) item->publishedFileTime = systemTimeToFileTime(item->publishedTime);
    if (item->id.empty()) item->makeItemId();
    return item;
}

void writeItem(xml::Document& document, xml::Node& itemElement, const RSSItem& item) {
    xml::appendTextElement(document, itemElement, u"title", item.title);
    xml::appendTextElement(document, itemElement, u"pubDate", item.pubDate);
    xml::appendTextElement(document, itemElement, u"description", item.description);
    xml::appendTextElement(document, itemElement, u"link", item.link);
    xml::appendTextElement(document, itemElement, u"author", item.author);
    xml::appendTextElement(document, itemElement, u"guid", item.guid);
    xml::appendTextElement(document, itemElement, u"corvane_id", item.id);
    xml::appendIntElement(document, itemElement, u"corvane_label", item.label);
    if (item.enclosure) {
        xml::NodePtr enclosure = document.createElement(u"enclosure");
        xml::setAttributeText(*enclosure, u"url", item.enclosure->url);
        xml::setAttributeInt(*enclosure, u"length", item.enclosure->length);
        xml::setAttributeText(*enclosure, u"type", item.enclosure->type);
        itemElement.appendChild(enclosure);
    }
}

}  // namespace corvane
