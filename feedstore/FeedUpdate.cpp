#include "feedstore/FeedUpdate.h"

#include <string_view>

#include "feedstore/DoctypeCheck.h"
#include "feedstore/FeedErrors.h"
#include "feedstore/FeedReaders.h"
#include "feedstore/PlainXmlReader.h"
#include "feedstore/XmlAccess.h"
#include "platform/Trace.h"

namespace corvane {
namespace {

std::optional<std::u16string> channelField(xml::Node& rss, std::u16string_view path) {
    xml::NodePtr node = xml::selectNode(rss, path);
    if (!node) return std::nullopt;
    return xml::nodeText(node.get());
}

// The one-pass read of a feed. False when the document is left to the document model: this build
// has no reader, the document holds what only the model reads (a DOCTYPE, entity references), it
// is not well-formed as the reader sees it (the model then says why), or its root is no known
// feed. A reader that cannot vouch for the bytes has them loaded by the model too before its
// items are taken. Most feeds are read by the plain reader; one outside its shape is read again
// from the start by the general reader.
bool readFeedForwardOnly(std::span<const uint8_t> bytes, std::u16string_view url, FeedFetch& fetch,
                         const std::function<bool()>& stopRequested, const KnownItemIds* known) {
    FeedChannel channel;
    FeedFormat format = FeedFormat::Unknown;
    if (known && known->empty()) known = nullptr;
    // Views of the ids of the items kept, which stay in channel.items unchanged. Known items and
    // later ones of the same id are dropped as they are read.
    std::unordered_set<std::u16string_view> seen;
    const FeedItemFilter keep = [&](const RSSItem& item) {
        if (known && known->contains(item.id)) return false;
        return seen.insert(item.id).second;
    };
    try {
        try {
            const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            std::unique_ptr<xml::StreamReader> plain =
                xml::openPlainXmlReader(text, xml::PlainXmlShape::Feed);
            format = readFeedStream(*plain, url, channel, stopRequested, keep);
        } catch (const xml::NotPlainXml&) {
            seen.clear();
            std::unique_ptr<xml::StreamReader> reader = xml::openStreamReader(bytes);
            if (!reader) return false;
            format = readFeedStream(*reader, url, channel, stopRequested, keep);
            if (format != FeedFormat::Unknown && !reader->vouchesForWellFormedness() &&
                !xml::createDocument()->loadBytes(bytes))
                return false;
        }
        if (format == FeedFormat::Unknown) return false;
    } catch (const FeedReadStopped&) {
        fetch.cancelled = true;
        return true;
    } catch (const FeedNeedsDocument&) {
        return false;
    } catch (const std::exception& error) {
        trace(u"The forward-only read of %s stopped: %s", url, error.what());
        return false;
    }
    if (stopRequested && stopRequested()) {
        fetch.cancelled = true;
        return true;
    }
    trace(u"Feed format = %s", feedFormatName(format));
    fetch.title = std::move(channel.title);
    fetch.link = std::move(channel.link);
    fetch.description = std::move(channel.description);
    for (auto& item : channel.items)
        fetch.items.push_back(std::move(item));
    return true;
}

}  // namespace

std::shared_ptr<const KnownItemIds> RSSObject::knownIds() const {
    return std::make_shared<const KnownItemIds>(identity);
}

void readFeedDocument(std::span<const uint8_t> bytes, std::u16string_view url, FeedFetch& fetch,
                      const std::function<bool()>& stopRequested, const KnownItemIds* known) {
    auto stopped = [&] {
        if (stopRequested && stopRequested()) fetch.cancelled = true;
        return fetch.cancelled;
    };
    // Entities that expand into other entities, or are used over and over, would be expanded by the
    // component without bound.
    DoctypeVerdict doctype;
    try {
        doctype = checkDoctype(bytes);
    } catch (const std::exception& error) {  // no memory for the narrowed copy of a wide document
        traceError(u"The document from %s could not be checked: %s", statusOf(error), url, error.what());
        fetch.notRss = true;
        return;
    }
    if (!doctype.safe) {
        traceError(u"The document from %s declares entities that could expand without bound; it is not read",
                   kStatusFail, url);
        fetch.notRss = true;
        return;
    }
    if (!doctype.mayDeclareEntities && readFeedForwardOnly(bytes, url, fetch, stopRequested, known)) return;
    xml::DocumentPtr document;
    try {
        document = xml::createDocument();
        xml::loadXmlStream(*document, bytes, url);
    } catch (const std::exception& error) {
        traceError(u"COM ERROR EXCPETION: %s", statusOf(error), error.what());
        fetch.notRss = true;
        return;
    }
    if (stopped()) return;
    try {
        xml::NodePtr rss = xml::selectElement(*document, u"rss");
        if (!rss) {
            traceError(u"Can't parse XML", kStatusFail);
            fetch.notRss = true;
            return;
        }
        trace(u"RSS version = %s", xml::getAttributeText(*rss, u"version", u""));
        fetch.title = channelField(*rss, u"channel/title");
        fetch.link = channelField(*rss, u"channel/link");
        fetch.description = channelField(*rss, u"channel/description");
        // Views of the ids of the items kept, which stay in fetch.items unchanged.
        std::unordered_set<std::u16string_view> seen;
        // Where no read can fail, an item that will not be kept is read no further than its id:
        // a known one, or a later one of the same id. Elsewhere each is read whole, so that a
        // failing field ends the read at the same item whether that item is kept or not.
        const bool passOver = !doctype.mayDeclareEntities;
        if (known && known->empty()) known = nullptr;
        for (const xml::NodePtr& node : xml::selectNodes(*rss, u"channel/item")) {
            if (stopped()) return;
            std::unique_ptr<RSSItem> item = readItemId(*node);
            const bool kept = !(known && known->contains(item->id)) && seen.count(item->id) == 0;
            if (!kept && passOver) continue;
            readItemRest(*node, *item);
            if (!kept) continue;
            seen.insert(item->id);
            fetch.items.push_back(std::move(item));
        }
    } catch (const std::exception& error) {
        // What was read before the error stays, as the document gave it.
        traceError(u"COM ERROR EXCPETION: %s", statusOf(error), error.what());
        fetch.notRss = true;
    }
}

void RSSObject::takeFetch(FeedFetch fetch) {
    notRss = fetch.notRss;
    downloadFailed = fetch.downloadFailed;
    if (fetch.cancelled) return;
    if (fetch.discoveredUrl && !fetch.notRss && !fetch.downloadFailed) {
        trace(u"The feed of %s is %s: the folder's URL from now on", url, *fetch.discoveredUrl);
        url = std::move(*fetch.discoveredUrl);
    }
    if (fetch.movedTo && !fetch.downloadFailed && !fetch.notRss && *fetch.movedTo != url) {
        trace(u"The feed %s moved permanently to %s", url, *fetch.movedTo);
        url = std::move(*fetch.movedTo);
    }
    // Validators of a document that could not be read would make the server keep it from us.
    if (!fetch.downloadFailed && !fetch.notRss && !fetch.notModified) {
        // A server that never sent one leaves no empty param behind.
        auto remember = [this](std::u16string_view name, const std::optional<std::u16string>& value) {
            if (value || !getParam(name, u"").empty()) setParam(name, value.value_or(u""));
        };
        remember(kETagParam, fetch.etag);
        remember(kLastModifiedParam, fetch.lastModified);
        remember(kValidatorsUrlParam, fetch.etag || fetch.lastModified ? std::optional(url) : std::nullopt);
    }
    if (fetch.title) title = std::move(*fetch.title);
    if (fetch.link) link = std::move(*fetch.link);
    if (fetch.description) description = std::move(*fetch.description);
    for (auto& item : fetch.items) {
        if (!isNewId(item.get())) continue;
        identity.insert(item->id);
        unstoredIds.insert(item->id);
        item->unread = true;
        items.push_back(std::move(item));
    }
}

}  // namespace corvane
