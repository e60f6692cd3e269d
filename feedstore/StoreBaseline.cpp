#include "feedstore/StoreBaseline.h"

#include "feedstore/RSSItem.h"

namespace corvane {

bool SortedIds::contains(std::u16string_view id) const {
    size_t low = 0, high = size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const std::u16string_view found = (*this)[middle];
        if (found == id) return true;
        if (found < id)
            low = middle + 1;
        else
            high = middle;
    }
    return false;
}

ItemFields fieldsOf(const RSSItem& item) {
    ItemFields fields;
    fields.label = item.label;
    fields.unread = item.unread;
    return fields;
}

uint32_t changedFields(const ItemFields& stored, const RSSItem& item) {
    uint32_t changed = 0;
    if (stored.label != item.label) changed |= kItemLabel;
    if (stored.unread != item.unread) changed |= kItemUnread;
    return changed;
}

void copyFields(const RSSItem& from, RSSItem& to, uint32_t fields) {
    if (fields & kItemLabel) to.label = from.label;
    if (fields & kItemUnread) to.unread = from.unread;
}

}  // namespace corvane
