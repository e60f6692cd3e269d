#pragma once

#include <string>
#include <string_view>

#include "feedstore/FolderSave.h"
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

// A store's bytes as the XML component would save them: the room at its end and the spaces that align
// the end (or that an in-place extension left between messages) taken out. Empty when the end is not
// the one a store is written with.
inline std::string withoutRoom(std::string_view stored) {
    const size_t end = stored.find(kStoreEnd);
    if (end == std::string_view::npos) return std::string(stored);
    const size_t roomFrom = end + kStoreEnd.size();
    const size_t roomTo = stored.find(kStoreRoomEnd, roomFrom);
    if (roomTo == std::string_view::npos ||
        stored.find_first_not_of(" \n", roomTo + kStoreRoomEnd.size()) != std::string_view::npos ||
        stored.substr(roomFrom, roomTo - roomFrom).find_first_not_of(' ') != std::string_view::npos)
        return {};
    // Spaces stand only after an item's end, where the component writes none; text escapes '<'.
    std::string body;
    size_t at = 0;
    for (size_t gap; (gap = stored.find("</item> ", at)) < end;) {
        gap += std::string_view("</item>").size();
        body += stored.substr(at, gap - at);
        at = stored.find_first_not_of(' ', gap);
    }
    body += stored.substr(at, end - at);
    return body + "</channel></rss>\n";
}

}  // namespace corvane::testing
