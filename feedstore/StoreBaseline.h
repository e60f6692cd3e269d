#pragma once
// What a feed object last read from, or wrote to, its folder's two files. A save compares the object
// with it to find what this writer changed, and writes only that, on top of what the files hold now.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FolderLock.h"

namespace corvane {

struct RSSItem;

// The fields of a stored message that writers change in place. A field added here is one more line
// in each of the three functions below.
struct ItemFields {
    int32_t label = 0;
    bool unread = false;
};

enum ItemField : uint32_t {
    kItemLabel = 1u << 0,
    kItemUnread = 1u << 1,
};

ItemFields fieldsOf(const RSSItem& item);
// The ItemField bits of the fields in which `item` differs from `stored`.
uint32_t changedFields(const ItemFields& stored, const RSSItem& item);
void copyFields(const RSSItem& from, RSSItem& to, uint32_t fields);

// The ids and changeable fields of the messages of a store, in store order. The ids lie one after
// the other in one text: a folder's whole list costs a few allocations, not one per message.
class StoreSnapshot {
  public:
    size_t size() const { return ends_.size(); }
    std::u16string_view idAt(size_t i) const {
        const size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::u16string_view(ids_).substr(begin, ends_[i] - begin);
    }
    const ItemFields& fieldsAt(size_t i) const { return fields_[i]; }
    void add(std::u16string_view id, const ItemFields& fields) {
        ids_ += id;
        ends_.push_back(ids_.size());
        fields_.push_back(fields);
    }
    void clear() { *this = StoreSnapshot(); }
    void reserve(size_t count, size_t idUnits) {
        ids_.reserve(idUnits);
        ends_.reserve(count);
        fields_.reserve(count);
    }

  private:
    std::u16string ids_;
    std::vector<size_t> ends_;
    std::vector<ItemFields> fields_;
};

// Ids in the order of std::set<std::u16string>, one after the other in one text: the identity of a
// big folder as a few allocations instead of one per id.
class SortedIds {
  public:
    size_t size() const { return ends_.size(); }
    std::u16string_view operator[](size_t i) const {
        const size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::u16string_view(ids_).substr(begin, ends_[i] - begin);
    }
    bool contains(std::u16string_view id) const;
    // Each id must sort after the last one added.
    void add(std::u16string_view id) {
        ids_ += id;
        ends_.push_back(ids_.size());
    }
    void reserve(size_t count, size_t idUnits) {
        ids_.reserve(idUnits);
        ends_.reserve(count);
    }

  private:
    std::u16string ids_;
    std::vector<size_t> ends_;
};

struct StoreBaseline {
    // corvane.xml. Without settingsRead the object did not come from the file (a new folder) and a
    // save writes what it holds.
    bool settingsRead = false;
    bool settingsStampKnown = false;  // false: the file changed while it was read
    FileStamp settingsStamp;
    std::u16string title;
    std::u16string link;
    std::u16string description;
    std::u16string url;
    std::vector<std::pair<std::u16string, std::u16string>> params;
    SortedIds identity;

    // rssitems.xml. With itemsRead, `items` holds the store's messages as this object last read or
    // wrote them; with appendOnly the store was never read and the list holds new messages only.
    bool itemsRead = false;
    bool appendOnly = false;
    // The item list is the store as it was last read or written, with this writer's changes; after
    // a save merged with another writer's changes it no longer is, and every save re-reads.
    bool itemsCurrent = false;
    FileStamp itemsStamp;
    StoreSnapshot items;
};

}  // namespace corvane
