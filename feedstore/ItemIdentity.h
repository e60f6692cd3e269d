#pragma once
// The ids of every message a feed ever took in: what keeps a message deleted once from coming back.

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>

#include "feedstore/StoreBaseline.h"

namespace corvane {

// A set of ids in the order of their UTF-16 units (std::set<std::u16string>'s order). corvane.xml
// lists them in that order, so read from it they lie packed one after the other in one text: a
// folder of ten thousand messages costs a few allocations instead of twenty thousand, and copies
// of it (the save's baseline, an update's known ids) a few more. Ids that come out of order (those
// an update adds, mostly) wait in a small set beside them.
class ItemIdentity {
    using Added = std::set<std::u16string, std::less<>>;

  public:
    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::u16string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::u16string_view;

        const_iterator() = default;
        std::u16string_view operator*() const {
            return addedFirst() ? std::u16string_view(*added_) : owner_->packed_[packed_];
        }
        const_iterator& operator++() {
            if (addedFirst())
                ++added_;
            else
                ++packed_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const {
            return packed_ == other.packed_ && added_ == other.added_;
        }

      private:
        friend class ItemIdentity;
        const_iterator(const ItemIdentity* owner, size_t packed, Added::const_iterator added)
            : owner_(owner), packed_(packed), added_(added) {}
        bool addedFirst() const {
            return added_ != owner_->added_.end() &&
                   (packed_ == owner_->packed_.size() ||
                    std::u16string_view(*added_) < owner_->packed_[packed_]);
        }

        const ItemIdentity* owner_ = nullptr;
        size_t packed_ = 0;
        Added::const_iterator added_;
    };
    using iterator = const_iterator;
    using value_type = std::u16string_view;

    ItemIdentity() = default;
    ItemIdentity(std::initializer_list<std::u16string_view> ids);

    size_t size() const { return packed_.size() + added_.size(); }
    bool empty() const { return size() == 0; }
    size_t count(std::u16string_view id) const;
    // Constant time for an id that sorts after every id held, as those read from a file do.
    void insert(std::u16string_view id);
    template <class Iterator>
    void insert(Iterator first, Iterator last) {
        for (; first != last; ++first)
            insert(std::u16string_view(*first));
    }
    void erase(std::u16string_view id);
    void clear();

    const_iterator begin() const { return const_iterator(this, 0, added_.begin()); }
    const_iterator end() const { return const_iterator(this, packed_.size(), added_.end()); }

    bool operator==(const ItemIdentity& other) const;

    // The ids in order, packed, but those in `leaveOut`: a copy of the packed ones where there is
    // nothing to leave out and none wait beside them.
    SortedIds sorted(const std::unordered_set<std::u16string_view>& leaveOut = {}) const;

  private:
    SortedIds packed_;
    Added added_;  // none of them among the packed ones
};

}  // namespace corvane
