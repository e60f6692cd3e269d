#pragma once

#include "feedstore/RSSObject.h"
#include "feedstore/XmlStreamReader.h"

namespace corvane {

enum class ItemStreamResult {
    Read,   // the items of "rss" / "channel" / "item" were appended
    NoRss,  // a well-formed document whose root is not "rss": nothing appended
    // The document holds what only the document model reads as it should (a DOCTYPE, entity
    // references, markup, CDATA or comments inside an item's field, xml:space): nothing appended.
    NeedsDocument,
};

// Reads an item store in one pass, with the results readItemsFromXml gives for the same file. Items
// are appended only when the whole file was read; a file that is not well-formed raises
// FeedStoreError and appends nothing.
ItemStreamResult readItemsFromStream(xml::StreamReader& reader, RSSItemList& items);

}  // namespace corvane
