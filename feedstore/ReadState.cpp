#include "feedstore/ReadState.h"

#include <algorithm>

namespace corvane {

size_t unreadCount(const RSSItemList& items) {
    return static_cast<size_t>(
        std::count_if(items.begin(), items.end(), [](const auto& item) { return item->unread; }));
}

size_t setUnread(std::span<RSSItem* const> items, bool unread) {
    size_t changed = 0;
    for (RSSItem* item : items) {
        if (!item || item->unread == unread) continue;
        item->unread = unread;
        ++changed;
    }
    return changed;
}

size_t markAllRead(RSSItemList& items) {
    size_t changed = 0;
    for (auto& item : items) {
        if (!item->unread) continue;
        item->unread = false;
        ++changed;
    }
    return changed;
}

}  // namespace corvane
