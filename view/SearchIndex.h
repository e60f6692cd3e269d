#pragma once
// The find bar's index of a folder's messages: each message's search text cut at spaces into its
// distinct words, every word kept once for the whole folder and named by a number. A query word
// (which holds no space) occurs in a message exactly when it occurs in one of the message's words,
// so a keystroke compares the query with the folder's distinct words once and then each message
// only by the numbers of its words: no text is folded, copied or scanned per message.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "feedstore/RSSItem.h"
#include "view/MessageSearch.h"

namespace corvane {

class SearchIndex {
  public:
    // A query resolved against the index's words: for each query word, which index words hold it.
    // Valid until the index takes its next message.
    class Match {
      public:
        bool empty() const { return holds_.empty(); }

      private:
        friend class SearchIndex;
        std::vector<std::vector<uint8_t>> holds_;
    };

    // Room for that many messages, so growing the index never copies it in one long step.
    void reserve(size_t messages);

    // The number of the message's entry, indexing the message first when it has none, or when the
    // entry at its address was made for another message (a new one allocated where a deleted one was).
    uint32_t entryOf(const RSSItem& item);
    Match resolve(const MessageQuery& query) const;
    bool matches(uint32_t entry, const Match& match) const;
    // The message an entry was made for; null for a number that names no live entry.
    const RSSItem* itemOf(uint32_t entry) const {
        return entry < entries_.size() && entries_[entry].live ? entries_[entry].item : nullptr;
    }

    // Drops a message about to be destroyed.
    void forget(const RSSItem* item);
    // Renumbers the entries without those of forgotten or replaced messages once they take more room
    // than the live ones. Entry numbers held before it are void afterwards; true when it did.
    bool compactIfWasteful();

    size_t entryCount() const { return byItem_.size(); }
    size_t wordCount() const { return words_.size(); }

  private:
    struct Entry {
        const RSSItem* item;
        std::u16string id;
        // The four fields' lengths: a cheap check that the entry still describes the message.
        uint32_t lengths[4];
        uint32_t block, begin, end;  // the entry's word numbers: blocks_[block][begin, end)
        bool live;
    };
    bool describes(const Entry& entry, const RSSItem& item) const;
    uint32_t add(const RSSItem& item);

    std::vector<Entry> entries_;
    std::unordered_map<const RSSItem*, uint32_t> byItem_;
    // The entries' word numbers, in blocks that never move once made: growing the index while the
    // window waits never copies what it holds (one vector of them all did, tens of megabytes at once).
    using Blocks = std::vector<std::vector<uint32_t>>;
    static void append(Blocks& blocks, const uint32_t* first, const uint32_t* last, Entry& entry);
    Blocks blocks_;
    size_t wordTotal_ = 0;
    size_t deadWords_ = 0;
    // The folder's distinct words; `words_` points at the map's keys, which never move.
    std::unordered_map<std::u16string, uint32_t> wordNumbers_;
    std::vector<const std::u16string*> words_;
};

}  // namespace corvane
