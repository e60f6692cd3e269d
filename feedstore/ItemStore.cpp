// rssitems.xml: every received message the user has not deleted, in order of arrival.
#include "feedstore/FeedErrors.h"
#include "feedstore/FolderSave.h"
#include "feedstore/ItemStream.h"
#include "feedstore/PlainXmlReader.h"
#include "feedstore/RSSObject.h"
#include "feedstore/XmlAccess.h"
#include "feedstore/XmlTextWriter.h"
#include "platform/FileReplace.h"
#include "platform/Trace.h"

namespace corvane {

void readItemsFromXml(xml::Document& document, RSSItemList& items) {
    xml::NodePtr rss = xml::selectElement(document, u"rss");
    if (!rss) return;
    for (const xml::NodePtr& node : xml::selectNodes(*rss, u"channel/item"))
        items.push_back(readItem(*node));
}

namespace {

// The one-pass read; false when the file is left to the document read, which then decides (and
// traces) what it holds: it cannot be opened, is not well-formed, or holds what only the document
// model reads as it should.
bool streamStoredItems(std::u16string_view path, StoredItems& loaded) {
    std::unique_ptr<xml::StreamReader> reader = xml::openStreamReader(path);
    if (!reader) return false;
    try {
        switch (readItemsFromStream(*reader, loaded.items)) {
            case ItemStreamResult::Read:
                loaded.state = StoreFileState::Read;
                return true;
            case ItemStreamResult::NoRss:
                loaded.state = StoreFileState::Unreadable;
                return true;
            case ItemStreamResult::NeedsDocument:
                trace(u"%s is read as a document", path);
                return false;
        }
    } catch (const std::exception&) {
        // Not well-formed as this reader sees it: the document read says why, and gives no items.
    }
    return false;
}

// A store as Corvane writes it, read by the plain reader; false leaves the file to the general
// readers, which decide and trace what it holds.
bool readPlainStoredItems(std::u16string_view path, StoredItems& loaded) {
    std::unique_ptr<xml::StreamReader> reader = xml::openPlainXmlReader(path);
    if (!reader) return false;
    try {
        if (readItemsFromStream(*reader, loaded.items) != ItemStreamResult::Read) return false;
        loaded.state = StoreFileState::Read;
        return true;
    } catch (const xml::NotPlainXml&) {
    } catch (const std::exception&) {
    }
    return false;
}

void readStoredItems(std::u16string_view path, StoredItems& loaded) {
    loaded.state = probeStoreFile(path);
    if (loaded.state == StoreFileState::NotLoaded &&
        (readPlainStoredItems(path, loaded) || streamStoredItems(path, loaded)))
        return;
    try {
        xml::DocumentPtr document = xml::loadXmlFile(path, true, false);
        readItemsFromXml(*document, loaded.items);
        if (loaded.state == StoreFileState::NotLoaded)
            loaded.state =
                xml::selectElement(*document, u"rss") ? StoreFileState::Read : StoreFileState::Unreadable;
    } catch (const std::exception& error) {
        // Never a partial list: the file is not what we expected, so it is kept before a save.
        traceError(u"Error while initializing items from file", statusOf(error));
        loaded.items.clear();
        if (loaded.state == StoreFileState::NotLoaded) loaded.state = StoreFileState::Unreadable;
    }
}

}  // namespace

StoredItems loadStoredItems(std::u16string_view path) {
    StoredItems loaded;
    // The stamp taken before the read names what was read only if the file is still that one after.
    loaded.stamp = stampOf(path);
    readStoredItems(path, loaded);
    loaded.stampKnown = stampOf(path) == loaded.stamp;
    return loaded;
}

void RSSObject::initializeItems() {
    if (itemsLoaded) return;
    takeStoredItems(loadStoredItems(itemsPath));
}

void RSSObject::takeStoredItems(StoredItems loaded) {
    if (itemsLoaded) return;
    noteItemsRead(*this, loaded);
    items.reserve(items.size() + loaded.items.size());
    for (auto& item : loaded.items) {
        // Stored messages count as seen even when the ids never reached corvane.xml (a crash between
        // the two saves), so an update cannot bring them in a second time.
        identity.insert(item->id);
        items.push_back(std::move(item));
    }
    itemsState = loaded.state;
    itemsLoaded = true;
}

namespace {

// The store is handed to the file in pieces of about this size, so that the text of a large store
// is never held whole beside its messages.
constexpr size_t kStorePiece = size_t{1} << 20;

// The store as text, written in one pass: building it as a document first would cost more than
// the writing itself. Its bytes are those the XML component would save for the same items built
// as a document, but for what the document would not carry back as it was.
template <typename Items>
bool writeStoreText(const Items& items, const FilePieceSink& write) {
    XmlTextWriter out(kStorePiece + kStorePiece / 4);
    out.markup("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\">");
    if (items.empty()) {
        // Small enough to be written whole when it gains its first messages.
        out.markup("<channel/></rss>\n");
        return write(out.bytes());
    }
    out.markup("<channel>");
    uint64_t written = 0;
    for (const auto& item : items) {
        writeItemText(out, *item);
        if (out.bytes().size() < kStorePiece) continue;
        if (!write(out.bytes())) return false;
        written += out.bytes().size();
        out.clear();
    }
    writeStoreEnd(out, written + out.bytes().size());
    return write(out.bytes());
}

template <typename Items>
bool writeStore(std::u16string_view path, const Items& items, StoreFileState& state) {
    try {
        if (!prepareToReplace(path, state)) return false;
        const FileReplaceResult result = replaceFileAtomically(
            path, [&items](const FilePieceSink& write) { return writeStoreText(items, write); });
        if (!result) throw FeedStoreError(result.status, result.description);
        state = StoreFileState::Read;
        return true;
    } catch (const std::exception& error) {
        traceError(u"Error while storing items in file", statusOf(error));
        return false;
    }
}

}  // namespace

void writeStoreEnd(XmlTextWriter& out, uint64_t at) {
    const uint64_t alignment = storeEndAlignment(at);
    out.markup(std::string(static_cast<size_t>(alignment), ' '));
    out.markup(kStoreEnd);
    out.markup(std::string(static_cast<size_t>(storeRoomFor(at)), ' '));
    out.markup(kStoreRoomEnd);
}

bool writeItemStore(std::u16string_view path, const RSSItemList& items, StoreFileState& state) {
    return writeStore(path, items, state);
}

bool writeItemStore(std::u16string_view path, const std::vector<const RSSItem*>& items,
                    StoreFileState& state) {
    return writeStore(path, items, state);
}

}  // namespace corvane
