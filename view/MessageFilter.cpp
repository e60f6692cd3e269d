#include "view/MessageFilter.h"

#include <algorithm>

namespace corvane {

bool MessageFilter::indexRows(const RSSDatabase& collection, const Clock::time_point* until) {
    const size_t count = collection.count();
    if (rowEntries_.size() != count) {
        index_.reserve(count);
        rowEntries_.resize(count);
        indexedRows_ = std::min(indexedRows_, count);
    }
    while (indexedRows_ < count) {
        const RSSItem* item = collection.itemAt(static_cast<int>(indexedRows_));
        rowEntries_[indexedRows_] = index_.entryOf(*item);
        ++indexedRows_;
        // The clock is read now and then: reading it costs about what indexing a message does.
        if (until && indexedRows_ % 32 == 0 && Clock::now() >= *until) break;
    }
    return indexedRows_ >= count;
}

bool MessageFilter::prepare(const RSSDatabase& collection, std::chrono::milliseconds budget) {
    const Clock::time_point until = Clock::now() + budget;
    return indexRows(collection, &until);
}

void MessageFilter::filter(const RSSDatabase& collection, bool onlyCurrentRows) {
    if (!onlyCurrentRows) {
        // Every message's entry first: the query is resolved against the words they bring.
        indexRows(collection, nullptr);
        const int count = static_cast<int>(collection.count());
        rows_.resize(static_cast<size_t>(count));
        entries_.resize(static_cast<size_t>(count));
        for (int row = 0; row < count; ++row) {
            const RSSItem* item = collection.itemAt(row);
            uint32_t entry = rowEntries_[static_cast<size_t>(row)];
            // A sort nobody told the filter about moves messages, never their entries.
            if (index_.itemOf(entry) != item)
                entry = rowEntries_[static_cast<size_t>(row)] = index_.entryOf(*item);
            rows_[static_cast<size_t>(row)] = row;
            entries_[static_cast<size_t>(row)] = entry;
        }
    }
    const SearchIndex::Match match = index_.resolve(MessageQuery(query_));
    size_t kept = 0;
    for (size_t n = 0; n < rows_.size(); ++n) {
        if (!index_.matches(entries_[n], match)) continue;
        rows_[kept] = rows_[n];
        entries_[kept] = entries_[n];
        ++kept;
    }
    rows_.resize(kept);
    entries_.resize(kept);
}

void MessageFilter::setQuery(std::u16string_view query, const RSSDatabase& collection) {
    const bool wasActive = active_;
    const bool grew = wasActive && query.size() >= query_.size() && query.substr(0, query_.size()) == query_;
    query_.assign(query);
    active_ = !MessageQuery(query_).empty();
    if (!active_) {
        rows_.clear();
        entries_.clear();
        return;
    }
    filter(collection, grew);
}

void MessageFilter::clear() {
    active_ = false;
    query_.clear();
    rows_.clear();
    entries_.clear();
}

void MessageFilter::refresh(const RSSDatabase& collection, bool itemsChanged) {
    // Rows name other messages now: their entries are looked up again (indexing only new messages).
    indexedRows_ = 0;
    if (itemsChanged) index_.compactIfWasteful();
    if (active_) filter(collection, false);
}

void MessageFilter::forget(const std::vector<RSSItem*>& removed) {
    for (const RSSItem* item : removed)
        index_.forget(item);
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
