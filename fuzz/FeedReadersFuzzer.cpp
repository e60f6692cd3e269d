// Any bytes as a downloaded feed, through every reader: the read never crashes, never raises, and
// what it hands over is sound (each id once, known ids left out, a notRss read hands over nothing).
// An RSS document the one-pass read takes must give the items the document read gives. The event
// reader, in chunks of any size, reads what libxml2's text reader reads, and so does the plain reader
// wherever it does not leave the document to them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <span>
#include <string>

#include "feedstore/FeedReaders.h"
#include "feedstore/FeedUpdate.h"
#include "feedstore/PlainXmlReader.h"
#include "feedstore/XmlAccess.h"
#include "feedstore/libxml2/Libxml2Readers.h"

namespace {

constexpr char16_t kUrl[] = u"http://127.0.0.1/feed/";

// The RSS items of the document read, or false when it reads none.
bool documentItems(std::span<const uint8_t> bytes, corvane::RSSItemList& items) {
    try {
        corvane::xml::DocumentPtr document = corvane::xml::createDocument();
        if (!corvane::xml::loadXmlStream(*document, bytes, kUrl)) return false;
        corvane::xml::NodePtr rss = corvane::xml::selectElement(*document, u"rss");
        if (!rss) return false;
        for (const corvane::xml::NodePtr& node : corvane::xml::selectNodes(*rss, u"channel/item"))
            items.push_back(corvane::readItem(*node));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The one-pass read over a reader, or false when the document is left to the document model: the
// read raised, or the root is no feed (read no further, so either reader may or may not have met
// what is wrong after it).
bool readOver(std::unique_ptr<corvane::xml::StreamReader> reader, corvane::FeedFormat& format,
              corvane::FeedChannel& channel) {
    if (!reader) std::abort();
    try {
        format = corvane::readFeedStream(*reader, kUrl, channel);
        return format != corvane::FeedFormat::Unknown;
    } catch (...) {
        return false;
    }
}

bool sameReads(corvane::FeedFormat formatA, const corvane::FeedChannel& a, corvane::FeedFormat formatB,
               const corvane::FeedChannel& b) {
    if (formatA != formatB || a.title != b.title || a.link != b.link || a.description != b.description ||
        a.items.size() != b.items.size())
        return false;
    for (size_t i = 0; i < a.items.size(); ++i) {
        const corvane::RSSItem& x = *a.items[i];
        const corvane::RSSItem& y = *b.items[i];
        if (x.id != y.id || x.title != y.title || x.link != y.link || x.description != y.description ||
            x.content != y.content || x.author != y.author || x.guid != y.guid || x.pubDate != y.pubDate)
            return false;
    }
    return true;
}

void expectSameReads(std::span<const uint8_t> bytes, size_t chunk) {
    corvane::FeedFormat treeFormat = corvane::FeedFormat::Unknown, eventFormat = corvane::FeedFormat::Unknown;
    corvane::FeedChannel viaTree, viaEvents;
    const bool tree = readOver(corvane::xml::openTreeStreamReader(bytes), treeFormat, viaTree);
    const bool events = readOver(corvane::xml::openEventStreamReader(bytes, chunk), eventFormat, viaEvents);
    if (tree != events) std::abort();
    if (tree && !sameReads(treeFormat, viaTree, eventFormat, viaEvents)) std::abort();

    // The plain reader, unless it leaves the document to the others, reads what they read.
    corvane::FeedFormat plainFormat = corvane::FeedFormat::Unknown;
    corvane::FeedChannel viaPlain;
    bool plain = false;
    try {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        plainFormat = corvane::readFeedStream(
            *corvane::xml::openPlainXmlReader(text, corvane::xml::PlainXmlShape::Feed), kUrl, viaPlain);
        plain = plainFormat != corvane::FeedFormat::Unknown;
    } catch (const corvane::xml::NotPlainXml&) {
        return;
    } catch (...) {
        plain = false;
    }
    if (plain != events) std::abort();
    if (plain && !sameReads(plainFormat, viaPlain, eventFormat, viaEvents)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    // Chunks from one byte up, so that they end anywhere in a token.
    expectSameReads(bytes, size > 0 ? 1 + data[size - 1] % 64 : 1);
    corvane::FeedFetch fetch;
    corvane::readFeedDocument(bytes, kUrl, fetch);
    if (fetch.notRss && (!fetch.items.empty() || fetch.title)) std::abort();
    std::set<std::u16string> ids;
    for (const auto& item : fetch.items)
        if (!ids.insert(item->id).second) std::abort();

    // The one-pass RSS read against the document read, where the first answers on its own.
    auto reader = corvane::xml::openStreamReader(bytes);
    if (!reader) std::abort();
    corvane::FeedChannel channel;
    corvane::FeedFormat format = corvane::FeedFormat::Unknown;
    try {
        format = corvane::readFeedStream(*reader, kUrl, channel);
    } catch (...) {
        return 0;
    }
    // xml:space is honoured by the document read alone.
    if (format != corvane::FeedFormat::Rss ||
        std::string(data, data + size).find("xml:space") != std::string::npos)
        return 0;
    corvane::RSSItemList reference;
    if (!documentItems(bytes, reference)) return 0;
    if (reference.size() != channel.items.size()) std::abort();
    for (size_t i = 0; i < reference.size(); ++i) {
        const corvane::RSSItem& a = *reference[i];
        const corvane::RSSItem& b = *channel.items[i];
        // Links are resolved, and dc:creator taken, by the one-pass read only; the rest must agree.
        if (a.title != b.title || a.guid != b.guid || a.label != b.label) std::abort();
    }
    return 0;
}
