#include "view/MessageList.h"

#include <algorithm>
#include <unordered_set>

#include "feedstore/Options.h"
#include "itempage/MarkupText.h"
#include "platform/WideFormat.h"

namespace corvane::messagelist {

std::u16string formatDateCell(const SystemTime& t, bool dayMonthYear, bool withTime) {
    if (dayMonthYear)
        return withTime ? formatWide(u"%02d.%02d.%04d %02d:%02d:%02d", t.wDay, t.wMonth, t.wYear, t.wHour,
                                     t.wMinute, t.wSecond)
                        : formatWide(u"%02d.%02d.%04d", t.wDay, t.wMonth, t.wYear);
    return withTime ? formatWide(u"%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                                 t.wMinute, t.wSecond)
                    : formatWide(u"%04d-%02d-%02d", t.wYear, t.wMonth, t.wDay);
}

std::u16string shownSortText(std::u16string_view field) {
    // What a cell can show (the list's buffers hold 260 characters), and bounded, so a sort of many
    // long descriptions stays quick.
    constexpr size_t kSortTextLimit = 260;
    return markupAsText(field, kSortTextLimit);
}

std::u16string cellText(const RSSObject& feed, const RSSDatabase& collection, int row, int kind,
                        size_t limit) {
    if (!feed.isConfigured()) return row == 0 && kind == kColumnTitle ? kNotConfiguredText : u"";
    const RSSItem* item = collection.itemAt(row);
    if (!item) return u"";
    switch (kind) {
        case kColumnTitle:
            return markupAsText(item->title, limit);
        case kColumnDescription:
            return markupAsText(item->description, limit);
        case kColumnLink:
            return item->link;
        case kColumnDate:
            if (!item->hasDate) return u"";
            return formatDateCell(item->publishedTime, options::datesAreDayMonthYear(feed),
                                  options::datesShowTime(feed));
        default:
            return u"";
    }
}

bool rowIsUnread(const RSSObject& feed, const RSSDatabase& collection, int row) {
    const RSSItem* item = feed.isConfigured() ? collection.itemAt(row) : nullptr;
    return item && item->unread;
}

size_t rowCount(const RSSObject& feed, const RSSDatabase& collection) {
    return feed.isConfigured() ? collection.count() : 1;
}

SortOrder sortAfterHeaderClick(int clickedKind) {
    if (clickedKind != RSSDatabase::sortColumn) return {clickedKind, true};
    return {clickedKind, !RSSDatabase::sortAscending};
}

LabelStyle labelStyle(int32_t label) {
    switch (label) {
        case 1:
            return {true, 104, 23, 13, false};
        case 2:
            return {true, 20, 97, 37, false};
        case 3:
            return {true, 104, 90, 13, false};
        case 4:
            return {true, 35, 20, 97, false};
        case 5:
            return {false, 0, 0, 0, true};
        default:
            return {};
    }
}

std::optional<int32_t> labelForKey(int virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '5') return virtualKey - '0';
    return std::nullopt;
}

void setLabel(const RSSDatabase& collection, const std::vector<int>& rows, int32_t label) {
    for (int row : rows)
        if (RSSItem* item = collection.itemAt(row)) item->label = label;
}

std::vector<RSSItem*> itemsOfRows(const RSSDatabase& collection, std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<RSSItem*> items;
    for (int row : rows)
        if (RSSItem* item = collection.itemAt(row)) items.push_back(item);
    return items;
}

std::optional<bool> unreadForKey(int virtualKey, bool control, bool otherModifier) {
    if (!control || otherModifier) return std::nullopt;
    if (virtualKey == 'Q') return false;
    if (virtualKey == 'U') return true;
    return std::nullopt;
}

bool markReadById(RSSObject& feed, std::u16string_view id) {
    if (id.empty()) return false;
    for (auto& item : feed.items) {
        if (item->id != id) continue;
        bool wasUnread = item->unread;
        item->unread = false;
        return wasUnread;
    }
    return false;
}

bool deleteAsksFirst(const RSSObject& feed) {
    return !options::isOn(feed, options::kDontShowDeleteConfirm);
}

RSSItem* itemOfRow(const RSSObject& feed, const RSSDatabase& collection, int row) {
    return feed.isConfigured() ? collection.itemAt(row) : nullptr;
}

std::vector<RSSItem*> itemsOfSelection(const RSSObject& feed, const RSSDatabase& collection,
                                       std::vector<int> rows) {
    if (!feed.isConfigured()) return {};
    return itemsOfRows(collection, std::move(rows));
}

std::vector<int> rowsOfItems(const RSSDatabase& collection, const std::vector<RSSItem*>& items) {
    std::vector<int> rows;
    if (items.empty()) return rows;
    std::unordered_set<const RSSItem*> wanted(items.begin(), items.end());
    int count = static_cast<int>(collection.count());
    for (int row = 0; row < count && rows.size() < wanted.size(); ++row)
        if (wanted.count(collection.itemAt(row))) rows.push_back(row);
    return rows;
}

void setLabel(const std::vector<RSSItem*>& items, int32_t label) {
    for (RSSItem* item : items)
        item->label = label;
}

}  // namespace corvane::messagelist
