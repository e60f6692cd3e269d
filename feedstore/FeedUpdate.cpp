#include "feedstore/FeedUpdate.h"

#include <string_view>
#include <unordered_set>

#include "feedstore/DoctypeCheck.h"
#include "feedstore/FeedErrors.h"
#include "feedstore/XmlAccess.h"
#include "platform/Trace.h"

namespace corvane {
namespace {

std::optional<std::u16string> channelField(xml::Node& rss, std::u16string_view path) {
    xml::NodePtr node = xml::selectNode(rss, path);
    if (!node) return std::nullopt;
    return xml::nodeText(node.get());
}

// The empty id (an item with no guid, date, title or link) is an id like any other.
struct IdHash {
    size_t operator()(std::u16string_view id) const { return std::hash<std::u16string_view>()(id); }
};

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != prefix[i]) return false;
    }
    return true;
}

// True for an encoding that writes every ASCII character as that one byte and nothing else as one.
bool isAsciiCompatible(std::string_view declaration) {
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return true;  // UTF-8
    at = declaration.find_first_of("\"'", at);
    if (at == std::string_view::npos) return false;
    const size_t end = declaration.find(declaration[at], at + 1);
    if (end == std::string_view::npos) return false;
    const std::string_view name = declaration.substr(at + 1, end - at - 1);
    if (name.size() == 5 && startsWithIgnoringCase(name, "utf-8")) return true;
    if (name.size() == 8 && startsWithIgnoringCase(name, "us-ascii")) return true;
    return startsWithIgnoringCase(name, "iso-8859-") || startsWithIgnoringCase(name, "windows-125");
}

// True when the document certainly declares no entity. Only entity references make reading a
// field's text fail, so in such a document an item may be passed over unread without changing
// where a read would have stopped. Anything not plainly so (another encoding, an internal DTD
// subset, a prolog that does not end) answers false.
bool declaresNoEntities(std::span<const uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    // UTF-16, UCS-4 and EBCDIC documents begin otherwise.
    if (text.size() < 2 || text[0] != '<' || text[1] == '\0') return false;
    if (text.starts_with("<?xml") && !isAsciiCompatible(text.substr(0, text.find("?>")))) return false;
    size_t at = 0;
    for (;;) {
        while (at < text.size() && isXmlSpace(text[at]))
            ++at;
        const std::string_view rest = text.substr(at);
        if (rest.starts_with("<?") || rest.starts_with("<!--")) {
            const std::string_view end = rest.starts_with("<?") ? "?>" : "-->";
            at = text.find(end, at + 2);
            if (at == std::string_view::npos) return false;
            at += end.size();
        } else if (rest.starts_with("<!DOCTYPE")) {
            // An external DTD alone is never read, so it declares nothing.
            for (at += 9; at < text.size(); ++at) {
                if (text[at] == '"' || text[at] == '\'') {
                    at = text.find(text[at], at + 1);
                    if (at == std::string_view::npos) return false;
                } else if (text[at] == '[') {
                    return false;
                } else if (text[at] == '>') {
                    return true;
                }
            }
            return false;
        } else {
            return true;  // the root element, or what no parse accepts
        }
    }
}

}  // namespace

KnownItemIds::KnownItemIds(const std::set<std::u16string>& ids) : count_(ids.size()) {
    size_t capacity = 8;
    while (capacity < 2 * ids.size())
        capacity *= 2;
    slots_.resize(capacity);
    for (const std::u16string& id : ids) {
        const size_t hash = IdHash()(id);
        size_t slot = hash & (capacity - 1);
        while (slots_[slot].start != Slot::kFree)
            slot = (slot + 1) & (capacity - 1);
        slots_[slot] = Slot{hash, units_.size(), id.size()};
        units_ += id;
    }
}

bool KnownItemIds::contains(std::u16string_view id) const {
    const size_t hash = IdHash()(id);
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask; slots_[slot].start != Slot::kFree; slot = (slot + 1) & mask) {
        const Slot& entry = slots_[slot];
        if (entry.hash == hash && std::u16string_view(units_).substr(entry.start, entry.size) == id)
            return true;
    }
    return false;
}

std::shared_ptr<const KnownItemIds> RSSObject::knownIds() const {
    return std::make_shared<const KnownItemIds>(identity);
}

void readFeedDocument(std::span<const uint8_t> bytes, std::u16string_view url, FeedFetch& fetch,
                      const std::function<bool()>& stopRequested, const KnownItemIds* known) {
    auto stopped = [&] {
        if (stopRequested && stopRequested()) fetch.cancelled = true;
        return fetch.cancelled;
    };
    // Entities that expand into other entities would be expanded by the component without bound.
    if (!isDoctypeSafe(bytes)) {
        traceError(u"The document from %s declares entities that could expand without bound; it is not read",
                   kStatusFail, url);
        fetch.notRss = true;
        return;
    }
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
        std::unordered_set<std::u16string_view, IdHash> seen;
        // Where no read can fail, an item that will not be kept is read no further than its id:
        // a known one, or a later one of the same id. Elsewhere each is read whole, so that a
        // failing field ends the read at the same item whether that item is kept or not.
        const bool passOver = declaresNoEntities(bytes);
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
    if (fetch.title) title = std::move(*fetch.title);
    if (fetch.link) link = std::move(*fetch.link);
    if (fetch.description) description = std::move(*fetch.description);
    for (auto& item : fetch.items) {
        if (!isNewId(item.get())) continue;
        identity.insert(item->id);
        items.push_back(std::move(item));
    }
}

}  // namespace corvane
