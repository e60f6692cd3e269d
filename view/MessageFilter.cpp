#include "view/MessageFilter.h"

#include <algorithm>

namespace corvane {

const std::u16string& MessageFilter::textOf(const RSSItem& item) {
    auto found = texts_.find(&item);
    if (found != texts_.end()) return found->second;
    return texts_.emplace(&item, searchTextOf(item)).first->second;
}

void MessageFilter::filter(const RSSDatabase& collection, bool onlyCurrentRows) {
    MessageQuery parsed(query_);
    std::vector<int> kept;
    auto keep = [&](int row) {
        if (const RSSItem* item = collection.itemAt(row); item && parsed.matchesText(textOf(*item)))
            kept.push_back(row);
    };
    if (onlyCurrentRows) {
        for (int row : rows_)
            keep(row);
    } else {
        int count = static_cast<int>(collection.count());
        for (int row = 0; row < count; ++row)
            keep(row);
    }
    rows_ = std::move(kept);
}

void MessageFilter::setQuery(std::u16string_view query, const RSSDatabase& collection) {
    const bool wasActive = active_;
    const bool grew = wasActive && query.size() >= query_.size() && query.substr(0, query_.size()) == query_;
    query_.assign(query);
    active_ = !MessageQuery(query_).empty();
    if (!active_) {
        rows_.clear();
        return;
    }
    filter(collection, grew);
}

void MessageFilter::clear() {
    active_ = false;
    query_.clear();
    rows_.clear();
}

void MessageFilter::refresh(const RSSDatabase& collection, bool itemsChanged) {
    if (itemsChanged) texts_.clear();
    if (active_) filter(collection, false);
}

void MessageFilter::forget(const std::vector<RSSItem*>& removed) {
    for (const RSSItem* item : removed)
        texts_.erase(item);
}

size_t MessageFilter::rowCount(const RSSDatabase& collection) const {
    return active_ ? rows_.size() : collection.count();
}

int MessageFilter::collectionRow(int row) const {
    if (!active_) return row;
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return -1;
    return rows_[static_cast<size_t>(row)];
}

std::vector<int> MessageFilter::collectionRows(const std::vector<int>& rows) const {
    std::vector<int> mapped;
    mapped.reserve(rows.size());
    for (int row : rows)
        if (int at = collectionRow(row); at >= 0) mapped.push_back(at);
    return mapped;
}

std::vector<int> MessageFilter::listRows(const std::vector<int>& collectionRows) const {
    if (!active_) return collectionRows;
    std::vector<int> mapped;
    for (int row : collectionRows) {
        auto found = std::lower_bound(rows_.begin(), rows_.end(), row);
        if (found != rows_.end() && *found == row) mapped.push_back(static_cast<int>(found - rows_.begin()));
    }
    return mapped;
}

}  // namespace corvane
