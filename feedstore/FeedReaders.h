#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "feedstore/RSSObject.h"
#include "feedstore/XmlStreamReader.h"

// The feed formats read forward-only, one reader per format, chosen by the root element and its
// namespace URI. Each gives the same channel fields and items: links absolute (xml:base and the
// feed's URL), dates in the RFC 822 form the store keeps, markup in description and content.
namespace corvane {

enum class FeedFormat {
    Unknown,  // no root this build reads as a feed
    Rss,      // "rss", RSS 0.91 to 2.0
    Rdf,      // "rdf:RDF" with RSS 1.0 (or 0.90) channel and items
    Atom10,
    Atom03,
};

struct FeedChannel {
    // The channel fields the document has; a missing one leaves the feed's value alone.
    std::optional<std::u16string> title;
    std::optional<std::u16string> link;
    std::optional<std::u16string> description;
    // Every item in document order, duplicates and known ones included unless a filter left them out.
    RSSItemList items;
};

// Raised when the document holds what the forward-only reader leaves to the document model (a
// DOCTYPE, an entity reference).
struct FeedNeedsDocument {};
// Raised when `stopRequested` answered true between two items.
struct FeedReadStopped {};

// Whether an item, read as far as its id, is to be read whole and kept.
using FeedItemFilter = std::function<bool(const RSSItem& item)>;

// Reads the whole document the reader stands before. `feedUrl` is the base of relative references
// outside any xml:base. A document that is not well-formed raises FeedStoreError; one whose root
// is no known feed gives Unknown with `channel` untouched. With `keep`, the items it refuses are
// left out of `channel` as soon as they are read (their links inside markup never resolved), so
// that a feed of known items is never held whole.
FeedFormat readFeedStream(xml::StreamReader& reader, std::u16string_view feedUrl, FeedChannel& channel,
                          const std::function<bool()>& stopRequested = {}, const FeedItemFilter& keep = {});

// The name a trace gives the format.
const char16_t* feedFormatName(FeedFormat format);

}  // namespace corvane
