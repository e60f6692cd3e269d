#pragma once
// Finding messages by words, for the find bar and `corvane search`.

#include <string>
#include <string_view>
#include <vector>

#include "feedstore/RSSItem.h"

namespace corvane {

// Text as the search compares it: letters in lower case and without their accents (Latin, Greek and
// Cyrillic capitals folded; Latin letters with accents, and ligatures such as æ and ß, spelt with
// their base letters; combining accents dropped).
std::u16string foldForSearch(std::u16string_view text);

// What separates the words of a query (and of a search text, for the find bar's index).
bool isWordSpace(char16_t c);

// What a message is searched in: title, description, content and author, markup read as text,
// folded, one field per line.
std::u16string searchTextOf(const RSSItem& item);

// A query: its words, each of which must occur in a message (in any of its fields, in any order,
// also inside a longer word). A query without words matches nothing.
class MessageQuery {
  public:
    explicit MessageQuery(std::u16string_view query);

    bool empty() const { return words_.empty(); }
    const std::vector<std::u16string>& words() const { return words_; }
    bool matches(const RSSItem& item) const;
    // The same for a text made by searchTextOf, which a caller may keep between queries.
    bool matchesText(std::u16string_view searchText) const;

  private:
    std::vector<std::u16string> words_;
};

}  // namespace corvane
