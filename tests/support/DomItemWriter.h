#pragma once

#include "feedstore/RSSObject.h"
#include "feedstore/XmlAccess.h"

// The item store built as a document through the XML component: the oracle the store's one-pass
// text writer is compared against.
namespace corvane::testing {

inline void writeItemElement(xml::Document& document, xml::Node& itemElement, const RSSItem& item) {
    const std::pair<const char16_t*, const std::u16string*> fields[] = {
        {u"title", &item.title},   {u"pubDate", &item.pubDate}, {u"description", &item.description},
        {u"link", &item.link},     {u"author", &item.author},   {u"guid", &item.guid},
        {u"corvane_id", &item.id},
    };
    for (const auto& [name, text] : fields) {
        xml::appendTextElement(document, itemElement, name, *text);
        if (text == &item.description && !item.content.empty())
            xml::appendTextElement(document, itemElement, u"content", item.content);
    }
    xml::appendIntElement(document, itemElement, u"corvane_label", item.label);
    if (item.unread) xml::appendIntElement(document, itemElement, u"corvane_unread", 1);
    if (item.enclosure) {
        xml::NodePtr enclosure = document.createElement(u"enclosure");
        xml::setAttributeText(*enclosure, u"url", item.enclosure->url);
        xml::setAttributeInt(*enclosure, u"length", item.enclosure->length);
        xml::setAttributeText(*enclosure, u"type", item.enclosure->type);
        itemElement.appendChild(enclosure);
    }
}

// Fills the "rss" element of an item-store document with the channel of `items`.
inline void writeItemsDocument(xml::Document& document, xml::Node& rss, const RSSItemList& items) {
    xml::setAttributeText(rss, u"version", u"2.0");
    xml::NodePtr channel = document.createElement(u"channel");
    for (const auto& item : items) {
        xml::NodePtr element = document.createElement(u"item");
        channel->appendChild(element);
        writeItemElement(document, *element, *item);
    }
    rss.appendChild(channel);
}

}  // namespace corvane::testing
