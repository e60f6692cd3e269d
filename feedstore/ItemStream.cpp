// The item store read forward-only. Our writer puts each field as one escaped text, so a field's
// text is that run with its ends trimmed, which is what the document model's "text" gives for it.
// Anything else inside a field (child markup, CDATA, comments, entity references) or xml:space
// makes the document model's whitespace rules depend on how the parser split the text; such a file
// is left to the document read rather than approximated.
#include "feedstore/ItemStream.h"

#include <cstdint>

#include "feedstore/FeedStoreError.h"
#include "feedstore/PubDate.h"
#include "feedstore/XmlSpace.h"

namespace corvane {
namespace {

using xml::StreamNode;
using xml::StreamReader;

// The file's structure is not one this reader can answer for; unwinds to readItemsFromStream.
struct NeedsDocument {};

void refuseSpaceRule(StreamReader& reader) {
    if (reader.attribute("xml:space")) throw NeedsDocument();
}

// Past the end of the element the reader stands on.
void skipElement(StreamReader& reader) {
    if (!xml::skipElement(reader, u"The file ends inside an element")) throw NeedsDocument();
}

// The text of the field element the reader stands on, leaving the reader past its end.
std::u16string fieldText(StreamReader& reader) {
    refuseSpaceRule(reader);
    std::u16string text;
    if (reader.isEmptyElement()) return text;
    while (true) {
        switch (reader.read()) {
            case StreamNode::Text:
                reader.appendValue(text);
                break;
            case StreamNode::EndElement:
                trimXmlSpace(text);
                return text;
            case StreamNode::End:
                throw FeedStoreError(kStatusFail, u"The file ends inside an element");
            default:
                throw NeedsDocument();
        }
    }
}

enum Field : uint32_t {
    kTitle = 1 << 0,
    kLink = 1 << 1,
    kDescription = 1 << 2,
    kPubDate = 1 << 3,
    kGuid = 1 << 4,
    kAuthor = 1 << 5,
    kId = 1 << 6,
    kLabel = 1 << 7,
    kEnclosure = 1 << 8,
    kContent = 1 << 9,
    kUnread = 1 << 10,
};

struct TextField {
    const char* name;
    Field bit;
    std::u16string RSSItem::*member;
};
constexpr TextField kTextFields[] = {
    {"title", kTitle, &RSSItem::title},
    {"link", kLink, &RSSItem::link},
    {"description", kDescription, &RSSItem::description},
    {"pubDate", kPubDate, &RSSItem::pubDate},
    {"guid", kGuid, &RSSItem::guid},
    {"author", kAuthor, &RSSItem::author},
    {"corvane_id", kId, &RSSItem::id},
    {"content", kContent, &RSSItem::content},
};

void readEnclosure(StreamReader& reader, RSSItem& item) {
    item.enclosure = std::make_unique<RSSEnclosure>();
    item.enclosure->url = reader.attribute("url").value_or(u"");
    item.enclosure->length = parseDecimal(reader.attribute("length").value_or(u""));
    item.enclosure->type = reader.attribute("type").value_or(u"");
}

// One child of an item: the first of each name counts, everything else is passed over.
void readItemChild(StreamReader& reader, RSSItem& item, uint32_t& seen) {
    for (const TextField& field : kTextFields) {
        if (!reader.isNamed(field.name)) continue;
        if (seen & field.bit) break;
        seen |= field.bit;
        item.*field.member = fieldText(reader);
        return;
    }
    if (!(seen & kLabel) && reader.isNamed("corvane_label")) {
        seen |= kLabel;
        item.label = parseDecimal(fieldText(reader));
        return;
    }
    if (!(seen & kUnread) && reader.isNamed("corvane_unread")) {
        seen |= kUnread;
        item.unread = isUnreadMark(fieldText(reader));
        return;
    }
    if (!(seen & kEnclosure) && reader.isNamed("enclosure")) {
        seen |= kEnclosure;
        readEnclosure(reader, item);
    }
    skipElement(reader);
}

std::unique_ptr<RSSItem> readStreamItem(StreamReader& reader) {
    refuseSpaceRule(reader);
    auto item = std::make_unique<RSSItem>();
    if (!reader.isEmptyElement()) {
        uint32_t seen = 0;
        for (StreamNode node = reader.read(); node != StreamNode::EndElement; node = reader.read()) {
            if (node == StreamNode::Element) readItemChild(reader, *item, seen);
            if (node == StreamNode::Unsupported) throw NeedsDocument();
            if (node == StreamNode::End) throw FeedStoreError(kStatusFail, u"The file ends inside an item");
        }
    }
    item->hasDate = parsePubDate(item->pubDate, &item->publishedTime);
    if (item->hasDate) item->publishedFileTime = systemTimeToFileTime(item->publishedTime);
    // A stored id is kept as written; only items without one pay for the hash.
    if (item->id.empty()) item->makeItemId();
    return item;
}

void readChannel(StreamReader& reader, RSSItemList& items) {
    refuseSpaceRule(reader);
    if (reader.isEmptyElement()) return;
    for (StreamNode node = reader.read(); node != StreamNode::EndElement; node = reader.read()) {
        if (node == StreamNode::Unsupported) throw NeedsDocument();
        if (node == StreamNode::End) throw FeedStoreError(kStatusFail, u"The file ends inside the channel");
        if (node != StreamNode::Element) continue;
        if (reader.isNamed("item"))
            items.push_back(readStreamItem(reader));
        else
            skipElement(reader);
    }
}

// The rest of the document after the root, which must still be well-formed.
void readToEnd(StreamReader& reader) {
    for (StreamNode node = reader.read(); node != StreamNode::End; node = reader.read())
        if (node == StreamNode::Unsupported) throw NeedsDocument();
}

}  // namespace

ItemStreamResult readItemsFromStream(StreamReader& reader, RSSItemList& items) {
    RSSItemList read;
    try {
        StreamNode node = reader.read();
        for (; node != StreamNode::Element; node = reader.read()) {
            if (node == StreamNode::Unsupported) return ItemStreamResult::NeedsDocument;
            if (node == StreamNode::End) throw FeedStoreError(kStatusFail, u"The file holds no element");
        }
        if (!reader.isNamed("rss")) {
            skipElement(reader);
            readToEnd(reader);
            return ItemStreamResult::NoRss;
        }
        refuseSpaceRule(reader);
        if (!reader.isEmptyElement()) {
            for (node = reader.read(); node != StreamNode::EndElement; node = reader.read()) {
                if (node == StreamNode::Unsupported) return ItemStreamResult::NeedsDocument;
                if (node == StreamNode::End)
                    throw FeedStoreError(kStatusFail, u"The file ends inside the root");
                if (node != StreamNode::Element) continue;
                if (reader.isNamed("channel"))
                    readChannel(reader, read);
                else
                    skipElement(reader);
            }
        }
        readToEnd(reader);
    } catch (const NeedsDocument&) {
        return ItemStreamResult::NeedsDocument;
    }
    items.reserve(items.size() + read.size());
    for (auto& item : read)
        items.push_back(std::move(item));
    return ItemStreamResult::Read;
}

}  // namespace corvane
