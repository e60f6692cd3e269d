#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "feedstore/CalendarTime.h"
#include "feedstore/XmlDocument.h"

namespace corvane {

class XmlTextWriter;

struct RSSEnclosure {
    std::u16string url;
    int32_t length = 0;
    std::u16string type;
};

// One message of the feed, as stored in rssitems.xml and as read from a downloaded feed.
struct RSSItem {
    std::u16string title;
    std::u16string link;
    std::u16string description;
    // Kept exactly as read: written back unchanged and parsed again at every load.
    std::u16string pubDate;
    SystemTime publishedTime;    // meaningful only when hasDate
    FileTime publishedFileTime;  // the date column's sort key; meaningful only when hasDate
    bool hasDate = false;
    // 0 no label, 1 to 5 a label; any other number read from a file stays as read.
    int32_t label = 0;
    // Messages an update takes in arrive unread; stored ones without the mark are read.
    bool unread = false;
    std::u16string author;
    std::u16string guid;
    // The full text where the feed gives one beside its description (content:encoded, Atom
    // content); stored as "content" only when not empty. Markup, like description.
    std::u16string content;
    std::u16string id;
    std::unique_ptr<RSSEnclosure> enclosure;

    // Computes `id` from guid, date stamp, title and link.
    void makeItemId();
};

// Reads an "item" element of a store file or a feed. A non-empty "corvane_id" is kept as the id
// byte for byte; otherwise the id is computed.
std::unique_ptr<RSSItem> readItem(xml::Node& itemNode);
// readItem in two steps, for an update that keeps only items it has not seen: the fields the id is
// made of (title, link, pubDate and its date, guid, corvane_id) with the id, then the others.
std::unique_ptr<RSSItem> readItemId(xml::Node& itemNode);
void readItemRest(xml::Node& itemNode, RSSItem& item);
// Writes the whole "item" element as text: its fields in the store file's order, the label, then the
// enclosure if any.
void writeItemText(XmlTextWriter& out, const RSSItem& item);
// About how many bytes writeItemText gives for the item.
size_t itemTextSize(const RSSItem& item);

// Whether the text of a "corvane_unread" element marks its item unread: 1 does, anything else not.
bool isUnreadMark(std::u16string_view text);

// Leading whitespace, one optional sign, then digits up to the first other character; no digits
// give 0. Values beyond 32 bits saturate.
int32_t parseDecimal(std::u16string_view text);

}  // namespace corvane
