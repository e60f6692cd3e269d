#include "view/SearchIndex.h"

#include <algorithm>

namespace corvane {
namespace {

// Four megabytes: large enough that blocks are few, small enough to be made at no noticeable cost.
constexpr size_t kBlockNumbers = size_t{1} << 20;

void takeLengths(const RSSItem& item, uint32_t (&lengths)[4]) {
    lengths[0] = static_cast<uint32_t>(item.title.size());
    lengths[1] = static_cast<uint32_t>(item.description.size());
    lengths[2] = static_cast<uint32_t>(item.content.size());
    lengths[3] = static_cast<uint32_t>(item.author.size());
}

}  // namespace

void SearchIndex::append(Blocks& blocks, const uint32_t* first, const uint32_t* last, Entry& entry) {
    const size_t count = static_cast<size_t>(last - first);
    if (blocks.empty() || blocks.back().capacity() - blocks.back().size() < count) {
        blocks.emplace_back();
        blocks.back().reserve(std::max(kBlockNumbers, count));
    }
    std::vector<uint32_t>& block = blocks.back();
    entry.block = static_cast<uint32_t>(blocks.size() - 1);
    entry.begin = static_cast<uint32_t>(block.size());
    block.insert(block.end(), first, last);
    entry.end = static_cast<uint32_t>(block.size());
}

bool SearchIndex::describes(const Entry& entry, const RSSItem& item) const {
    uint32_t lengths[4];
    takeLengths(item, lengths);
    return entry.id == item.id &&
           std::equal(std::begin(lengths), std::end(lengths), std::begin(entry.lengths));
}

uint32_t SearchIndex::add(const RSSItem& item) {
    const std::u16string text = searchTextOf(item);
    std::vector<uint32_t> numbers;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isWordSpace(text[at]))
            ++at;
        size_t end = at;
        while (end < text.size() && !isWordSpace(text[end]))
            ++end;
        if (end > at) {
            auto [found, added] =
                wordNumbers_.try_emplace(text.substr(at, end - at), static_cast<uint32_t>(words_.size()));
            if (added) words_.push_back(&found->first);
            numbers.push_back(found->second);
        }
        at = end;
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());

    Entry entry{&item, item.id, {}, 0, 0, 0, true};
    takeLengths(item, entry.lengths);
    append(blocks_, numbers.data(), numbers.data() + numbers.size(), entry);
    wordTotal_ += numbers.size();
    entries_.push_back(std::move(entry));
    return static_cast<uint32_t>(entries_.size() - 1);
}

void SearchIndex::reserve(size_t messages) {
    if (messages <= byItem_.size()) return;
    byItem_.reserve(messages);
    entries_.reserve(messages);
}

uint32_t SearchIndex::entryOf(const RSSItem& item) {
    auto found = byItem_.find(&item);
    if (found != byItem_.end()) {
        Entry& entry = entries_[found->second];
        if (describes(entry, item)) return found->second;
        entry.live = false;
        deadWords_ += entry.end - entry.begin;
        found->second = add(item);
        return found->second;
    }
    const uint32_t number = add(item);
    byItem_.emplace(&item, number);
    return number;
}

SearchIndex::Match SearchIndex::resolve(const MessageQuery& query) const {
    Match match;
    for (const std::u16string& word : query.words()) {
        std::vector<uint8_t> holds(words_.size());
        for (size_t n = 0; n < words_.size(); ++n)
            holds[n] = words_[n]->find(word) != std::u16string::npos;
        match.holds_.push_back(std::move(holds));
    }
    return match;
}

bool SearchIndex::matches(uint32_t entry, const Match& match) const {
    if (match.empty()) return false;
    const Entry& at = entries_[entry];
    const uint32_t* begin = blocks_[at.block].data() + at.begin;
    const uint32_t* end = blocks_[at.block].data() + at.end;
    for (const std::vector<uint8_t>& holds : match.holds_)
        if (std::none_of(begin, end, [&](uint32_t word) { return holds[word] != 0; })) return false;
    return true;
}

void SearchIndex::forget(const RSSItem* item) {
    auto found = byItem_.find(item);
    if (found == byItem_.end()) return;
    Entry& entry = entries_[found->second];
    entry.live = false;
    deadWords_ += entry.end - entry.begin;
    byItem_.erase(found);
}

bool SearchIndex::compactIfWasteful() {
    const size_t dead = entries_.size() - byItem_.size();
    if (deadWords_ * 2 <= wordTotal_ && dead * 2 <= entries_.size()) return false;
    std::vector<Entry> entries;
    Blocks blocks;
    entries.reserve(byItem_.size());
    for (Entry& entry : entries_) {
        if (!entry.live) continue;
        const std::vector<uint32_t>& from = blocks_[entry.block];
        append(blocks, from.data() + entry.begin, from.data() + entry.end, entry);
        byItem_[entry.item] = static_cast<uint32_t>(entries.size());
        entries.push_back(std::move(entry));
    }
    entries_ = std::move(entries);
    blocks_ = std::move(blocks);
    wordTotal_ -= deadWords_;
    deadWords_ = 0;
    return true;
}

}  // namespace corvane
