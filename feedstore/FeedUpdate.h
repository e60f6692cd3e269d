#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "feedstore/RSSObject.h"

namespace corvane {

// What one update read from a feed. It is made where the download runs and taken over by the feed
// object on its owner's thread (RSSObject::takeFetch), so nothing changes the feed object while
// others read it, and a cancelled or stopped update leaves it exactly as it was.
struct FeedFetch {
    bool cancelled = false;       // the sink or a stop request ended the run: nothing is taken over
    bool downloadFailed = false;  // no document could be fetched
    bool notRss = false;          // the document is no feed this build reads, or reading it failed
    // The channel fields the document has; a missing one leaves the feed's value alone.
    std::optional<std::u16string> title;
    std::optional<std::u16string> link;
    std::optional<std::u16string> description;
    // Where the feed was found when the folder's URL named an HTML page that links to it: the
    // folder's URL from then on.
    std::optional<std::u16string> discoveredUrl;
    // The document's items in feed order, each id once (a later duplicate is dropped), less those
    // whose id the feed already knew when the update started.
    RSSItemList items;
    // The server answered 304 to the validators sent: nothing was read, and nothing is to be written.
    bool notModified = false;
    // The validators the server sent with the document, to be sent with the next request.
    std::optional<std::u16string> etag;
    std::optional<std::u16string> lastModified;
    // Where every redirect on the way was permanent: the feed's URL from now on.
    std::optional<std::u16string> movedTo;
};

// The names of the params in corvane.xml that keep the server's validators between updates.
inline constexpr char16_t kETagParam[] = u"etag";
inline constexpr char16_t kLastModifiedParam[] = u"lastModified";
// The URL they came from: they are sent only to that URL, so a folder given another feed (by any
// version, which keeps params it does not know) asks for the whole of the new one.
inline constexpr char16_t kValidatorsUrlParam[] = u"validatorsUrl";

// The ids a feed knew when an update started (RSSObject::knownIds), for the update's worker to read
// while the feed goes on changing on its owner's thread: a copy that nothing changes once made.
class KnownItemIds {
  public:
    explicit KnownItemIds(const ItemIdentity& ids) : ids_(ids.sorted()) {}

    bool contains(std::u16string_view id) const { return ids_.contains(id); }
    bool empty() const { return ids_.size() == 0; }

  private:
    const SortedIds ids_;
};

// Reads a downloaded feed of any format FeedReaders.h reads into `fetch`, forward-only where it can
// and through the document model (RSS only) where the document needs it. `url` names it in the
// trace and is the base of its relative references. `stopRequested`, when given, is asked before
// each item and once the document is read; a true answer ends with `cancelled`.
// Items whose id is in `known` may be left out of `fetch.items`: taking the fetch over would drop
// them anyway, since ids never leave the identity of the feed the snapshot was taken from.
// Never raises.
void readFeedDocument(std::span<const uint8_t> bytes, std::u16string_view url, FeedFetch& fetch,
                      const std::function<bool()>& stopRequested = {}, const KnownItemIds* known = nullptr);

}  // namespace corvane
