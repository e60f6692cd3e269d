#include "feedstore/RSSDatabase.h"

#include <algorithm>
#include <unordered_set>

namespace corvane {
namespace {

char16_t foldAsciiCase(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// Folding as it compares: no copy of the texts, which for descriptions would be large.
int compareFolded(std::u16string_view a, std::u16string_view b) {
    size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        char16_t x = foldAsciiCase(a[i]);
        char16_t y = foldAsciiCase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

int compareTexts(std::u16string_view a, std::u16string_view b) {
    return compareFolded(a, b);
}

int compareItems(const RSSItem& a, const RSSItem& b, int column) {
    switch (column) {
        case kColumnTitle:
            return compareFolded(a.title, b.title);
        case kColumnDescription:
            return compareFolded(a.description, b.description);
        case kColumnLink:
            return compareFolded(a.link, b.link);
        case kColumnDate:
            if (a.hasDate && b.hasDate)
                return a.publishedFileTime < b.publishedFileTime ? -1
                                                                 : a.publishedFileTime > b.publishedFileTime;
            return a.hasDate ? 1 : b.hasDate ? -1 : 0;
        default:
            return 0;
    }
}

RSSItem* RSSDatabase::itemAt(int position) const {
    auto index = static_cast<size_t>(static_cast<unsigned>(position));
    if (index >= count()) return nullptr;
    if (sortedIndex_) return index < sortedIndex_->size() ? (*sortedIndex_)[index] : nullptr;
    return feed_.items[index].get();
}

void RSSDatabase::sort(int column, bool ascending) {
    sortColumn = column;
    sortAscending = ascending;
    sortedIndex_.reset();
    if (feed_.items.empty()) return;
    auto index = std::make_unique<std::vector<RSSItem*>>();
    index->reserve(feed_.items.size());
    for (const auto& item : feed_.items)
        index->push_back(item.get());
    if (shownText_ && (column == kColumnTitle || column == kColumnDescription)) {
        // One shown text per item, not two per comparison: converting markup costs more than comparing.
        std::vector<std::pair<std::u16string, RSSItem*>> keyed;
        keyed.reserve(index->size());
        for (RSSItem* item : *index)
            keyed.emplace_back(shownText_(column == kColumnTitle ? item->title : item->description), item);
        std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
            int order = compareFolded(a.first, b.first);
            return ascending ? order < 0 : order > 0;
        });
        for (size_t i = 0; i < keyed.size(); ++i)
            (*index)[i] = keyed[i].second;
    } else if (column >= kColumnTitle && column <= kColumnDate)
        std::stable_sort(index->begin(), index->end(),
                         [column, ascending](const RSSItem* a, const RSSItem* b) {
                             int order = compareItems(*a, *b, column);
                             return ascending ? order < 0 : order > 0;
                         });
    sortedIndex_ = std::move(index);
}

void RSSDatabase::remove(const std::vector<RSSItem*>& removed) {
    std::unordered_set<const RSSItem*> doomed(removed.begin(), removed.end());
    std::erase_if(feed_.items,
                  [&doomed](const std::unique_ptr<RSSItem>& item) { return doomed.count(item.get()); });
}

}  // namespace corvane
