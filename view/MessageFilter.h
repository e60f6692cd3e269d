#pragma once
// The find bar's filter over the message list: which rows of the collection the list shows while a
// query is typed. The list stays owner-data; its rows are indexes into `rows()`.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "feedstore/RSSDatabase.h"
#include "view/MessageSearch.h"
#include "view/SearchIndex.h"

namespace corvane {

class MessageFilter {
  public:
    // Whether the list is filtered: a query with words was set (an empty one shows every row).
    bool active() const { return active_; }
    const std::u16string& query() const { return query_; }

    // Sets the query and filters the collection again. A query that only grew keeps to the rows that
    // matched before (every message matching the longer query matched the shorter one).
    void setQuery(std::u16string_view query, const RSSDatabase& collection);
    // Shows every row again; the folded texts stay for the next query.
    void clear();
    // After a sort or a merge: the same query over the collection's new order. `itemsChanged` has
    // the index compacted when deletions left much of it unused.
    void refresh(const RSSDatabase& collection, bool itemsChanged);

    // Indexes the collection's messages ahead of the first keystroke, a slice of about `budget` at a
    // time, resuming where the last slice stopped; true once every message is indexed. A keystroke
    // that comes earlier indexes the rest itself.
    bool prepare(const RSSDatabase& collection, std::chrono::milliseconds budget);

    // Drops the folded texts of messages about to be destroyed (a deletion), keeping the others.
    void forget(const std::vector<RSSItem*>& removed);

    // The list's rows and the collection's: identical while inactive.
    size_t rowCount(const RSSDatabase& collection) const;
    int collectionRow(int row) const;
    std::vector<int> collectionRows(const std::vector<int>& rows) const;
    // The list rows showing the given collection rows (ascending in, ascending out); rows filtered
    // out have none.
    std::vector<int> listRows(const std::vector<int>& collectionRows) const;

  private:
    using Clock = std::chrono::steady_clock;
    // Indexes rows from `indexedRows_` on, until the time given, or all of them without one.
    bool indexRows(const RSSDatabase& collection, const Clock::time_point* until);
    void filter(const RSSDatabase& collection, bool onlyCurrentRows);

    bool active_ = false;
    std::u16string query_;
    // Collection rows that match, ascending, so the list keeps the collection's sort, and their
    // messages' index entries.
    std::vector<int> rows_;
    std::vector<uint32_t> entries_;
    // Every message's words, folded once: a keystroke compares numbers, it does not fold again.
    SearchIndex index_;
    // The index entry of each collection row below `indexedRows_`, in the order of the last refresh.
    std::vector<uint32_t> rowEntries_;
    size_t indexedRows_ = 0;
};

}  // namespace corvane
