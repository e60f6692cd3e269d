#pragma once
// Read and unread messages: an update's new messages arrive unread, a shown one becomes read.

#include <cstddef>
#include <span>
#include <string_view>

#include "feedstore/RSSObject.h"

namespace corvane {

size_t unreadCount(const RSSItemList& items);

// Gives the items the state; the number of items whose state changed.
size_t setUnread(std::span<RSSItem* const> items, bool unread);

// Every item read; the number that were unread.
size_t markAllRead(RSSItemList& items);

struct StoredCounts {
    size_t messages = 0;
    size_t unread = 0;
};

// The messages of the item store at `path` and how many are unread, counted from the elements as
// Corvane writes them without parsing the file: an update that never reads the store can still say
// what the folder holds. A missing file holds none.
StoredCounts countStoredMessages(std::u16string_view path);

}  // namespace corvane
