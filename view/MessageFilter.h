#pragma once
// The find bar's filter over the message list: which rows of the collection the list shows while a
// query is typed. The list stays owner-data; its rows are indexes into `rows()`.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "feedstore/RSSDatabase.h"
#include "view/MessageSearch.h"

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
    // After a sort or a merge: the same query over the collection's new order. `itemsChanged` drops
    // the folded texts, since a deleted message's address may be reused by a new one.
    void refresh(const RSSDatabase& collection, bool itemsChanged);

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
    const std::u16string& textOf(const RSSItem& item);
    void filter(const RSSDatabase& collection, bool onlyCurrentRows);

    bool active_ = false;
    std::u16string query_;
    // Collection rows that match, ascending, so the list keeps the collection's sort.
    std::vector<int> rows_;
    // Each message's folded search text, made once: a keystroke compares, it does not fold again.
    std::unordered_map<const RSSItem*, std::u16string> texts_;
};

}  // namespace corvane
