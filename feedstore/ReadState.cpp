#include "feedstore/ReadState.h"

#include <algorithm>
#include <string>

#include "platform/FolderLock.h"

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

StoredCounts countStoredMessages(std::u16string_view path) {
    static constexpr std::string_view kItem = "<item>";
    static constexpr std::string_view kUnread = "<corvane_unread>1</corvane_unread>";
    static constexpr size_t kChunk = 1 << 20;
    StoredCounts counts;
    std::string window;  // the end of the previous chunk, so a mark across the seam counts once
    std::string chunk;
    for (uint64_t offset = 0;; offset += chunk.size()) {
        chunk.clear();
        if (!readFilePart(path, offset, kChunk, chunk) || chunk.empty()) break;
        const size_t carried = window.size();
        window += chunk;
        auto count = [&](std::string_view mark) {
            size_t found = 0;
            // A mark that ends within the carried bytes was counted with the previous chunk.
            for (size_t at = window.find(mark); at != std::string::npos; at = window.find(mark, at + 1))
                if (at + mark.size() > carried) ++found;
            return found;
        };
        counts.messages += count(kItem);
        counts.unread += count(kUnread);
        window.erase(0, window.size() - std::min(window.size(), kUnread.size() - 1));
        if (chunk.size() < kChunk) break;
    }
    return counts;
}

}  // namespace corvane
