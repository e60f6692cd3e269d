#pragma once
// Read and unread messages: an update's new messages arrive unread, a shown one becomes read.

#include <cstddef>
#include <span>

#include "feedstore/RSSObject.h"

namespace corvane {

size_t unreadCount(const RSSItemList& items);

// Gives the items the state; the number of items whose state changed.
size_t setUnread(std::span<RSSItem* const> items, bool unread);

// Every item read; the number that were unread.
size_t markAllRead(RSSItemList& items);

}  // namespace corvane
