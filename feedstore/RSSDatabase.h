#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "feedstore/RSSObject.h"

namespace corvane {

// Sort columns of the message list.
enum RSSColumn : int {
    kColumnNone = -1,
    kColumnTitle = 0,
    kColumnDescription = 1,
    kColumnLink = 2,
    kColumnDate = 3
};

// The message list's view of a feed's items by row: store order until the first sort, then the
// sorted order. Refers to the feed's items; owns none of them.
class RSSDatabase {
  public:
    explicit RSSDatabase(RSSObject& feed) : feed_(feed) {}
    RSSDatabase(const RSSDatabase&) = delete;
    RSSDatabase& operator=(const RSSDatabase&) = delete;

    size_t count() const { return feed_.items.size(); }
    // Null when the position (taken unsigned) is not below count().
    RSSItem* itemAt(int position) const;
    // Records the column and direction process-wide, then sorts; items that compare equal keep
    // store order, so a column that is no column shows store order.
    void sort(int column, bool ascending);
    // Takes the given items out of the feed's list and destroys them; their ids stay in the feed's
    // identity, so the messages never come back. Call sort again before the next itemAt.
    void remove(const std::vector<RSSItem*>& removed);

    // What the list shows of a title or description, when that is not the field itself: sorting by
    // those columns then orders by the shown text, made once per item for each sort.
    using ShownText = std::u16string (*)(std::u16string_view field);
    void setShownText(ShownText shown) { shownText_ = shown; }

    // Shared by every collection of the process; the views read them to sort again and to save them.
    static inline int sortColumn = kColumnNone;
    static inline bool sortAscending = false;

  private:
    RSSObject& feed_;
    std::unique_ptr<std::vector<RSSItem*>> sortedIndex_;
    ShownText shownText_ = nullptr;
};

// The comparison of the sort: texts without regard to case (only A to Z fold), dates by file time
// with undated items first. Negative, zero or positive.
int compareItems(const RSSItem& a, const RSSItem& b, int column);
// The same comparison for two texts.
int compareTexts(std::u16string_view a, std::u16string_view b);

}  // namespace corvane
