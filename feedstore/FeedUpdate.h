#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "feedstore/RSSObject.h"

namespace corvane {

// What one update read from a feed. It is made where the download runs and taken over by the feed
// object on its owner's thread (RSSObject::takeFetch), so nothing changes the feed object while
// others read it, and a cancelled or stopped update leaves it exactly as it was.
struct FeedFetch {
    bool cancelled = false;       // the sink or a stop request ended the run: nothing is taken over
    bool downloadFailed = false;  // no document could be fetched
    bool notRss = false;          // the document has no "rss" root, or reading it failed
    // The channel fields the document has; a missing one leaves the feed's value alone.
    std::optional<std::u16string> title;
    std::optional<std::u16string> link;
    std::optional<std::u16string> description;
    // The document's items in feed order, each id once (a later duplicate is dropped).
    RSSItemList items;
};

// Reads a downloaded RSS document into `fetch`. `url` names it in the trace. `stopRequested`, when
// given, is asked after the parse and before each item; a true answer ends with `cancelled`.
// Never raises.
void readFeedDocument(std::span<const uint8_t> bytes, std::u16string_view url, FeedFetch& fetch,
                      const std::function<bool()>& stopRequested = {});

}  // namespace corvane
