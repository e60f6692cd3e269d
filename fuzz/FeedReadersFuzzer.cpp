// Any bytes as a downloaded feed, through every reader: the read never crashes, never raises, and
// what it hands over is sound (each id once, known ids left out, a notRss read hands over nothing).
// An RSS document the one-pass read takes must give the items the document read gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <span>
#include <string>

#include "feedstore/FeedReaders.h"
#include "feedstore/FeedUpdate.h"
#include "feedstore/XmlAccess.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
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
