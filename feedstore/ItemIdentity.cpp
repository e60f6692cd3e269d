#include "feedstore/ItemIdentity.h"

#include <algorithm>

namespace corvane {

ItemIdentity::ItemIdentity(std::initializer_list<std::u16string_view> ids) {
    insert(ids.begin(), ids.end());
}

size_t ItemIdentity::count(std::u16string_view id) const {
    if (packed_.contains(id)) return 1;
    return added_.count(id);
}

void ItemIdentity::insert(std::u16string_view id) {
    const size_t packed = packed_.size();
    const bool last = (packed == 0 || packed_[packed - 1] < id) && (added_.empty() || *added_.rbegin() < id);
    if (last)
        packed_.add(id);
    else if (!packed_.contains(id))
        added_.emplace(id);
}

void ItemIdentity::erase(std::u16string_view id) {
    if (const auto added = added_.find(id); added != added_.end()) {
        added_.erase(added);
        return;
    }
    if (!packed_.contains(id)) return;
    SortedIds kept;
    for (size_t i = 0; i < packed_.size(); ++i)
        if (packed_[i] != id) kept.add(packed_[i]);
    packed_ = std::move(kept);
}

void ItemIdentity::clear() {
    packed_ = SortedIds();
    added_.clear();
}

bool ItemIdentity::operator==(const ItemIdentity& other) const {
    return size() == other.size() && std::equal(begin(), end(), other.begin());
}

SortedIds ItemIdentity::sorted(const std::unordered_set<std::u16string_view>& leaveOut) const {
    if (added_.empty() && leaveOut.empty()) return packed_;
    size_t units = 0;
    for (std::u16string_view id : *this)
        units += id.size();
    SortedIds ids;
    ids.reserve(size(), units);
    for (std::u16string_view id : *this)
        if (!leaveOut.count(id)) ids.add(id);
    return ids;
}

}  // namespace corvane
