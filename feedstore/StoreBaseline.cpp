#include "feedstore/StoreBaseline.h"

#include "feedstore/RSSItem.h"

namespace corvane {

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
