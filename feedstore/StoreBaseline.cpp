#include "feedstore/StoreBaseline.h"

#include "feedstore/RSSItem.h"

namespace corvane {

ItemFields fieldsOf(const RSSItem& item) {
    ItemFields fields;
    fields.label = item.label;
    return fields;
}

uint32_t changedFields(const ItemFields& stored, const RSSItem& item) {
    uint32_t changed = 0;
    if (stored.label != item.label) changed |= kItemLabel;
    return changed;
}

void copyFields(const RSSItem& from, RSSItem& to, uint32_t fields) {
    if (fields & kItemLabel) to.label = from.label;
}

}  // namespace corvane
