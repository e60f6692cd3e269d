// The one write path of a news folder. Every writer (the commands, the view, the Options) saves
// under the folder's lock; under it, a file another writer replaced since this object last read it
// is read again, and only this object's own changes are written on top. A store that only gains
// messages is extended: the new items are written into the room its end keeps, in place, or after a
// copy of its bytes when the room is used up.
#include "feedstore/FolderSave.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "feedstore/XmlTextWriter.h"
#include "platform/FileReplace.h"
#include "platform/Status.h"
#include "platform/Trace.h"
#include "platform/Utf.h"

namespace corvane {
namespace {

// Long enough for any save of another writer; a writer that waits longer does not write at all.
constexpr auto kLockPatience = std::chrono::seconds(60);

constexpr std::string_view kDeclarations[] = {"<?xml version=\"1.0\" encoding=\"utf-8\"?>",
                                              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"};

using Params = std::vector<std::pair<std::u16string, std::u16string>>;

Params paramsOf(const RSSObject& feed) {
    Params params;
    params.reserve(feed.params.size());
    for (const RSSParam& param : feed.params)
        params.emplace_back(param.name, param.value);
    return params;
}

// The ids corvane.xml holds once written.
SortedIds idsToWrite(const RSSObject& feed, const std::unordered_set<std::u16string_view>& notYetSeen) {
    return feed.identity.sorted(notYetSeen);
}

void takeSettingsBaseline(RSSObject& feed, SortedIds identity) {
    StoreBaseline& baseline = feed.baseline;
    baseline.title = feed.title;
    baseline.link = feed.link;
    baseline.description = feed.description;
    baseline.url = feed.url;
    baseline.params = paramsOf(feed);
    baseline.identity = std::move(identity);
}

void takeItemsBaseline(StoreBaseline& baseline, const RSSItemList& items) {
    size_t units = 0;
    for (const auto& item : items)
        units += item->id.size();
    baseline.items.clear();
    baseline.items.reserve(items.size(), units);
    for (const auto& item : items)
        baseline.items.add(item->id, fieldsOf(*item));
}

bool isOwnDeclaration(std::string_view bytes) {
    return std::any_of(std::begin(kDeclarations), std::end(kDeclarations),
                       [bytes](std::string_view declaration) { return bytes.starts_with(declaration); });
}

// Where the closing markup `close` ends the file but for white space, or npos.
size_t closingAt(std::string_view bytes, std::string_view close) {
    size_t end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r' || bytes[end - 1] == ' ' ||
                       bytes[end - 1] == '\t'))
        --end;
    if (end < close.size() || bytes.substr(end - close.size(), close.size()) != close)
        return std::string_view::npos;
    return end - close.size();
}

// How much of a file's end is read to find its closing markup and the last ids before it.
constexpr size_t kEndWindow = 64 * 1024;

// Rewrites the file at `path` as its own bytes up to its closing markup, the added text and the
// closing markup again. The bytes kept are copied by the system, never read as XML or even into
// memory: only the beginning and the end are looked at. False, leaving the file alone, when it does
// not begin and end as Corvane writes it (`emptyList` is how an empty list is written, `closeList`
// what ends a list); the caller then writes it whole.
template <typename WriteAdded>
bool extendFile(std::u16string_view path, std::string_view emptyList, std::string_view openList,
                std::string_view closeList, std::string_view closeRoot, size_t addedSize,
                WriteAdded writeAdded) {
    const FileStamp stamp = stampOf(path);
    std::string head, end;
    if (!stamp.exists || !readFilePart(path, 0, 64, head) || !isOwnDeclaration(head)) return false;
    const uint64_t windowStart = stamp.size > kEndWindow ? stamp.size - kEndWindow : 0;
    if (!readFilePart(path, windowStart, static_cast<size_t>(stamp.size - windowStart), end) ||
        stampOf(path) != stamp)
        return false;
    const std::string closeAll = std::string(closeList) + std::string(closeRoot);
    const std::string emptyAll = std::string(emptyList) + std::string(closeRoot);
    size_t keep = closingAt(end, closeAll);
    const bool wasEmpty = keep == std::string_view::npos;
    if (wasEmpty) keep = closingAt(end, emptyAll);
    if (keep == std::string_view::npos) return false;
    const std::string trailer = end.substr(keep + (wasEmpty ? emptyAll.size() : closeAll.size()));
    XmlTextWriter out(addedSize + trailer.size() + 64);
    if (wasEmpty) out.markup(openList);
    writeAdded(out);
    out.markup(closeAll);
    out.markup(trailer);
    const FileReplaceResult result = replaceFileEndAtomically(path, stamp, windowStart + keep, out.bytes());
    if (!result) {
        traceError(u"Error while extending %s: %s", result.status, path, result.description);
        return false;
    }
    return true;
}

// Another writer may have replaced corvane.xml since this object read it: its fields are taken
// where this object did not change them, and the ids it gained join the identity. New messages of
// this object whose ids another writer stored (or stored and deleted) meanwhile are put in
// `storedElsewhere`: they must not be stored again.
void refreshSettings(RSSObject& feed, std::unordered_set<std::u16string>& storedElsewhere) {
    StoreBaseline& baseline = feed.baseline;
    if (!baseline.settingsRead) return;
    if (baseline.settingsStampKnown && stampOf(feed.settingsPath) == baseline.settingsStamp) return;
    std::unique_ptr<RSSObject> disk = loadRSSObject(feed.settingsPath, feed.itemsPath);
    if (!disk) return;
    if (disk->settingsState != StoreFileState::Read) {
        // Gone or not readable now: nothing to take over. The save writes what this object holds,
        // keeping a copy of an unreadable file first.
        feed.settingsState = disk->settingsState;
        baseline.settingsStampKnown = false;
        return;
    }
    trace(u"%s was changed by another writer; it is read again", feed.settingsPath);
    auto take = [](std::u16string& ours, const std::u16string& before, std::u16string& theirs) {
        if (ours == before) ours = std::move(theirs);
    };
    take(feed.title, baseline.title, disk->title);
    take(feed.link, baseline.link, disk->link);
    take(feed.description, baseline.description, disk->description);
    take(feed.url, baseline.url, disk->url);
    std::vector<RSSParam> changed;
    for (const RSSParam& param : feed.params) {
        auto before = std::find_if(baseline.params.begin(), baseline.params.end(),
                                   [&param](const auto& old) { return old.first == param.name; });
        if (before == baseline.params.end() || before->second != param.value) changed.push_back(param);
    }
    feed.params = std::move(disk->params);
    for (const RSSParam& param : changed)
        feed.setParam(param.name, param.value);
    for (std::u16string_view id : disk->identity) {
        if (const auto unstored = feed.unstoredIds.find(id); unstored != feed.unstoredIds.end()) {
            feed.unstoredIds.erase(unstored);
            storedElsewhere.emplace(id);
        }
        feed.identity.insert(id);
    }
    feed.settingsState = disk->settingsState;
    baseline.settingsStamp = disk->baseline.settingsStamp;
    baseline.settingsStampKnown = disk->baseline.settingsStampKnown;
    baseline.title = std::move(disk->baseline.title);
    baseline.link = std::move(disk->baseline.link);
    baseline.description = std::move(disk->baseline.description);
    baseline.url = std::move(disk->baseline.url);
    baseline.params = std::move(disk->baseline.params);
    baseline.identity = std::move(disk->baseline.identity);
}

// The ids the identity gained since `recorded`, in order, when it lost none; nullopt when one left it.
std::optional<std::vector<std::u16string_view>> idsAddedTo(
    const SortedIds& recorded, const RSSObject& feed,
    const std::unordered_set<std::u16string_view>& notYetSeen) {
    std::vector<std::u16string_view> added;
    size_t next = 0;
    for (std::u16string_view id : feed.identity) {
        if (!notYetSeen.empty() && notYetSeen.count(id)) continue;
        if (next < recorded.size() && recorded[next] == id) {
            ++next;
        } else if (next == recorded.size() || id < recorded[next]) {
            added.push_back(id);
        } else {
            return std::nullopt;  // recorded[next] is no longer held
        }
    }
    if (next != recorded.size()) return std::nullopt;
    return added;
}

bool writeSettings(RSSObject& feed) {
    StoreBaseline& baseline = feed.baseline;
    const std::unordered_set<std::u16string_view> notYetSeen = feed.idsNotYetSeen();
    const bool fieldsChanged = !baseline.settingsRead || feed.settingsState != StoreFileState::Read ||
                               feed.title != baseline.title || feed.link != baseline.link ||
                               feed.description != baseline.description || feed.url != baseline.url ||
                               paramsOf(feed) != baseline.params;
    // Ids only ever join the identity; one that left it needs a whole write.
    if (!fieldsChanged) {
        if (std::optional<std::vector<std::u16string_view>> added =
                idsAddedTo(baseline.identity, feed, notYetSeen)) {
            if (added->empty()) return true;
            if (baseline.settingsStampKnown && stampOf(feed.settingsPath) == baseline.settingsStamp) {
                size_t addedSize = 0;
                for (std::u16string_view id : *added)
                    addedSize += id.size() * 3 + 9;
                const bool extended =
                    extendFile(feed.settingsPath, "<identity/>", "<identity>", "</identity>", "</corvane>",
                               addedSize, [&added](XmlTextWriter& out) {
                                   for (std::u16string_view id : *added) {
                                       out.markup("<id>");
                                       out.text(id);
                                       out.markup("</id>");
                                   }
                               });
                if (extended) {
                    baseline.identity = idsToWrite(feed, notYetSeen);
                    baseline.settingsStamp = stampOf(feed.settingsPath);
                    return true;
                }
                trace(u"%s is not as Corvane writes it; it is written whole", feed.settingsPath);
            }
        }
    }
    if (!writeSettingsFile(feed)) return false;
    takeSettingsBaseline(feed, idsToWrite(feed, notYetSeen));
    baseline.settingsRead = true;
    baseline.settingsStamp = stampOf(feed.settingsPath);
    baseline.settingsStampKnown = true;
    return true;
}

// What this object changed in the store since it last read or wrote it.
struct ItemChanges {
    std::vector<const RSSItem*> appended;
    std::unordered_set<std::u16string_view> deleted;
    std::unordered_map<std::u16string_view, std::pair<const RSSItem*, uint32_t>> changed;

    bool onlyAppended() const { return deleted.empty() && changed.empty(); }
    bool none() const { return appended.empty() && onlyAppended(); }
};

ItemChanges changesOf(const RSSObject& feed) {
    ItemChanges changes;
    const StoreBaseline& baseline = feed.baseline;
    if (baseline.appendOnly) {
        // Its snapshot holds what it appended already.
        std::unordered_set<std::u16string_view> written;
        for (size_t i = 0; i < baseline.items.size(); ++i)
            written.insert(baseline.items.idAt(i));
        for (const auto& item : feed.items)
            if (!written.count(item->id)) changes.appended.push_back(item.get());
        return changes;
    }
    const StoreSnapshot& snapshot = baseline.items;
    std::unordered_map<std::u16string_view, size_t> stored;
    stored.reserve(snapshot.size());
    for (size_t i = 0; i < snapshot.size(); ++i)
        stored.emplace(snapshot.idAt(i), i);
    std::unordered_set<std::u16string_view> held;
    held.reserve(feed.items.size());
    for (const auto& item : feed.items) {
        held.insert(item->id);
        auto found = stored.find(item->id);
        if (found == stored.end()) {
            changes.appended.push_back(item.get());
        } else if (uint32_t fields = changedFields(snapshot.fieldsAt(found->second), *item)) {
            changes.changed.emplace(item->id, std::make_pair(item.get(), fields));
        }
    }
    for (size_t i = 0; i < snapshot.size(); ++i)
        if (!held.count(snapshot.idAt(i))) changes.deleted.insert(snapshot.idAt(i));
    return changes;
}

// The text of an element as the store's writer escapes it.
std::u16string unescaped(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        static constexpr std::pair<std::string_view, char> kEntities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&#13;", '\r'}};
        auto entity = std::find_if(std::begin(kEntities), std::end(kEntities), [&](const auto& known) {
            return text.substr(at).starts_with(known.first);
        });
        if (entity != std::end(kEntities)) {
            plain += entity->second;
            at += entity->first.size();
        } else {
            plain += text[at++];
        }
    }
    return fromUtf8(plain);
}

// A writer killed after it stored messages and before corvane.xml got their ids leaves them at the
// end of the store. They are found from the end back to the first id corvane.xml knows: their ids
// join the identity, and new messages among them are not appended a second time.
// False when `kept` (not the whole file) ran out before an id corvane.xml knows was found.
bool takeUnrecordedIds(std::string_view kept, bool whole, RSSObject& feed,
                       std::vector<const RSSItem*>& appended) {
    constexpr std::string_view kOpen = "<corvane_id>", kClose = "</corvane_id>";
    const SortedIds& recorded = feed.baseline.identity;
    std::unordered_set<std::u16string> unrecorded;
    bool found = false;
    for (size_t end = kept.size();;) {
        const size_t close = kept.rfind(kClose, end);
        if (close == std::string_view::npos) break;
        const size_t open = kept.rfind(kOpen, close);
        if (open == std::string_view::npos) break;
        std::u16string id = unescaped(kept.substr(open + kOpen.size(), close - open - kOpen.size()));
        if (recorded.contains(id)) {
            found = true;
            break;
        }
        unrecorded.insert(std::move(id));
        if (open == 0) break;
        end = open - 1;
    }
    if (!found && !whole) return false;
    if (unrecorded.empty()) return true;
    trace(u"%s holds %d messages whose ids corvane.xml lacks", feed.itemsPath,
          static_cast<int>(unrecorded.size()));
    for (const std::u16string& id : unrecorded) {
        feed.identity.insert(id);
        feed.unstoredIds.erase(id);
    }
    std::erase_if(appended, [&](const RSSItem* item) { return unrecorded.count(item->id) != 0; });
    return true;
}

// Where a store's end (kStoreEnd) begins in `end`, the last bytes of the file, and how many spaces of
// room follow it: none when its room holds more than spaces (what a writer killed before it moved the
// end leaves). Nullopt when the file does not end so.
struct StoreEndFound {
    size_t at = 0;
    uint64_t room = 0;
};
std::optional<StoreEndFound> storeEndIn(std::string_view end) {
    size_t last = end.size();
    while (last > 0 && (end[last - 1] == '\n' || end[last - 1] == ' ' || end[last - 1] == '\t'))
        --last;
    if (!end.substr(0, last).ends_with("?>")) return std::nullopt;
    // The first one: a writer killed before it moved the end leaves its new end inside the room.
    const size_t at = end.find(kStoreEnd);
    if (at == std::string_view::npos) return std::nullopt;
    const size_t roomFrom = at + kStoreEnd.size(), roomTo = last - 2;
    if (roomTo < roomFrom || end.find("?>", roomFrom) != roomTo) return std::nullopt;
    if (roomTo > roomFrom && end[roomFrom] != ' ') return std::nullopt;  // another instruction's name
    const std::string_view room = end.substr(roomFrom, roomTo - roomFrom);
    const bool clean = room.find_first_not_of(' ') == std::string_view::npos;
    return StoreEndFound{at, clean ? room.size() : 0};
}

// Writes `added` (the new messages' text) into the store's room in place. First the messages and a new
// end after them, inside the room, flushed; then the old end turned into spaces by one write inside
// one sector, flushed. Every state between is a whole store: a kill before the second write leaves
// the old messages, after it the new ones, and the rest of the room stays room.
// Nullopt, writing nothing, when the room does not take them; false when a write failed.
std::optional<bool> extendStoreInPlace(std::u16string_view path, const FileStamp& stamp, uint64_t endAt,
                                       uint64_t room, std::string_view added) {
    if (storeEndAlignment(endAt) != 0 || added.find("?>") != std::string_view::npos) return std::nullopt;
    // At least one space after the instruction's name, and as many as put the new end in one sector.
    uint64_t spaces = 1;
    spaces += storeEndAlignment(endAt + kStoreEnd.size() + spaces + added.size());
    if (spaces + added.size() + kStoreEnd.size() > room) return std::nullopt;
    std::string filled(static_cast<size_t>(spaces), ' ');
    filled.reserve(filled.size() + added.size() + kStoreEnd.size());
    filled += added;
    filled += kStoreEnd;
    const std::string blank(kStoreEnd.size(), ' ');
    const FileReplaceResult result =
        patchFileInPlace(path, stamp, {{{endAt + kStoreEnd.size(), filled}}, {{endAt, blank}}});
    if (!result) {
        traceError(u"Error while extending %s in place: %s", result.status, path, result.description);
        return false;  // the caller writes the store whole
    }
    // The size stays, and the time of change moves only by the clock's step: within one step, a space
    // past the end is what tells every reader's stamp of the change. It is not flushed (a new size
    // costs a journal commit): it is only white space after the root.
    const FileStamp written = stampOf(path);
    if (written.modified == stamp.modified)
        patchFileInPlace(path, written, {{{written.size, " "}}}, FilePatchFlush::None);
    return true;
}

// Adds the messages after the stored ones without reading those: in place when the store has room
// for them, else by a copy of the stored bytes with the new end and a new room after them. False,
// changing nothing, when the store does not end as Corvane writes it; the caller then writes it whole.
bool appendToStore(RSSObject& feed, std::vector<const RSSItem*> appended) {
    const std::u16string_view path = feed.itemsPath;
    const FileStamp stamp = stampOf(path);
    std::string head, end;
    if (!stamp.exists || !readFilePart(path, 0, 64, head) || !isOwnDeclaration(head)) return false;
    // Enough to hold the whole room and the last messages before it.
    const uint64_t window = 2 * kEndWindow + storeRoomFor(stamp.size) + kStoreEnd.size();
    const uint64_t windowStart = stamp.size > window ? stamp.size - window : 0;
    if (!readFilePart(path, windowStart, static_cast<size_t>(stamp.size - windowStart), end) ||
        stampOf(path) != stamp)
        return false;

    constexpr std::string_view kEmpty = "<channel/></rss>", kClosed = "</channel></rss>";
    std::optional<StoreEndFound> found = storeEndIn(end);
    bool wasEmpty = false;
    if (!found) {
        // A store written before stores had room, or an empty one.
        size_t at = closingAt(end, kClosed);
        wasEmpty = at == std::string_view::npos;
        if (wasEmpty) at = closingAt(end, kEmpty);
        if (at == std::string_view::npos) return false;
        found = StoreEndFound{at, 0};
    }

    if (!takeUnrecordedIds(std::string_view(end).substr(0, found->at), windowStart == 0, feed, appended)) {
        std::string whole;
        if (!readWholeFile(path, whole) || whole.size() != stamp.size) return false;
        takeUnrecordedIds(std::string_view(whole).substr(0, windowStart + found->at), true, feed, appended);
    }
    if (appended.empty()) return true;

    size_t addedSize = 0;
    for (const RSSItem* item : appended)
        addedSize += itemTextSize(*item);
    XmlTextWriter out(addedSize + storeRoomFor(stamp.size) + kSectorSize + 64);
    if (wasEmpty) out.markup("<channel>");
    for (const RSSItem* item : appended)
        writeItemText(out, *item);
    const uint64_t endAt = windowStart + found->at;
    if (found->room > 0) {
        if (std::optional<bool> extended = extendStoreInPlace(path, stamp, endAt, found->room, out.bytes()))
            return *extended;
    }

    writeStoreEnd(out, endAt + out.bytes().size());
    const FileReplaceResult result = replaceFileEndAtomically(path, stamp, endAt, out.bytes());
    if (!result) {
        traceError(u"Error while extending %s: %s", result.status, path, result.description);
        return false;
    }
    return true;
}

// The store as another writer left it, with this object's changes on top.
bool mergeIntoStore(RSSObject& feed, const ItemChanges& changes) {
    StoredItems disk = loadStoredItems(feed.itemsPath);
    if (disk.state == StoreFileState::Locked) {
        traceError(u"%s cannot be opened; it is not replaced", kStatusFail, feed.itemsPath);
        return false;
    }
    trace(u"%s was changed by another writer; it is read again", feed.itemsPath);
    if (disk.state == StoreFileState::Unreadable) {
        // Nothing of another writer can be read: what this object holds is written, and the file
        // kept as a copy first.
        feed.itemsState = StoreFileState::Unreadable;
        if (!feed.baseline.appendOnly) return writeItemStore(feed.itemsPath, feed.items, feed.itemsState);
        return writeItemStore(feed.itemsPath, changes.appended, feed.itemsState);
    }
    std::unordered_set<std::u16string_view> present;
    std::vector<const RSSItem*> merged;
    merged.reserve(disk.items.size() + changes.appended.size());
    for (auto& item : disk.items) {
        feed.identity.insert(item->id);  // stored messages count as seen, whatever corvane.xml says
        if (changes.deleted.count(item->id)) continue;
        present.insert(item->id);
        auto change = changes.changed.find(item->id);
        if (change != changes.changed.end()) copyFields(*change->second.first, *item, change->second.second);
        merged.push_back(item.get());
    }
    for (const RSSItem* item : changes.appended)
        if (present.insert(item->id).second) merged.push_back(item);
    StoreFileState state =
        disk.state == StoreFileState::Missing ? StoreFileState::Missing : StoreFileState::Read;
    if (!writeItemStore(feed.itemsPath, merged, state)) return false;
    feed.itemsState = state;
    return true;
}

bool writeItems(RSSObject& feed, const std::unordered_set<std::u16string>& storedElsewhere) {
    StoreBaseline& baseline = feed.baseline;
    // Until the store was read, a save would overwrite messages it never saw.
    if (!feed.itemsLoaded && !baseline.appendOnly) return false;
    if (feed.itemsState == StoreFileState::Locked) return prepareToReplace(feed.itemsPath, feed.itemsState);
    if (!baseline.itemsRead && !baseline.appendOnly) {
        // A list that never came from the file: written as it is.
        if (!writeItemStore(feed.itemsPath, feed.items, feed.itemsState)) return false;
        feed.unstoredIds.clear();
        return true;
    }
    ItemChanges changes = changesOf(feed);
    const size_t appendedBefore = changes.appended.size();
    std::erase_if(changes.appended,
                  [&](const RSSItem* item) { return storedElsewhere.count(item->id) != 0; });
    const bool droppedAny = changes.appended.size() != appendedBefore;
    const FileStamp now = stampOf(feed.itemsPath);
    const bool unchanged = !baseline.appendOnly && baseline.itemsCurrent && now == baseline.itemsStamp;
    const bool readable = baseline.appendOnly || feed.itemsState == StoreFileState::Read;

    // What this object holds now counts as written: a later save looks only at what changes after.
    auto stored = [&](bool current) {
        takeItemsBaseline(baseline, feed.items);
        baseline.itemsStamp = stampOf(feed.itemsPath);
        baseline.itemsCurrent = current && !droppedAny;
        feed.unstoredIds.clear();
        return true;
    };
    // A store that vanished while this object held its messages is written again from them.
    const bool restore = !baseline.appendOnly && !now.exists && !feed.items.empty();
    if (changes.none() && !restore && (readable || !unchanged)) {
        // New messages another writer stored first count as written too.
        if (droppedAny) {
            takeItemsBaseline(baseline, feed.items);
            baseline.itemsCurrent = false;
        }
        feed.unstoredIds.clear();
        return true;
    }
    if (changes.onlyAppended() && readable && now.exists && appendToStore(feed, changes.appended))
        return stored(unchanged);
    if (unchanged || restore) {
        if (!writeItemStore(feed.itemsPath, feed.items, feed.itemsState)) return false;
        return stored(true);
    }
    if (!mergeIntoStore(feed, changes)) return false;
    return stored(false);
}

bool withFolderLock(RSSObject& feed, const std::function<bool()>& write) {
    const std::u16string lockPath = folderLockPath(feed);
    if (lockPath.empty()) return write();
    FolderLock lock(lockPath, kLockPatience);
    if (!lock && lock.opened()) {
        traceError(u"Another writer holds %s; nothing is written", kStatusFail, lockPath);
        return false;
    }
    // A lock file that cannot be made means a folder nothing can be written to: the save says so.
    return write();
}

}  // namespace

std::u16string folderLockPath(const RSSObject& feed) {
    const std::u16string& file = feed.settingsPath.empty() ? feed.itemsPath : feed.settingsPath;
    const size_t slash = file.find_last_of(u"/\\");
    if (slash == std::u16string::npos) return {};
    return file.substr(0, slash + 1) + kFolderLockFile;
}

void noteSettingsRead(RSSObject& feed, const FileStamp& stampBefore) {
    StoreBaseline& baseline = feed.baseline;
    baseline.settingsRead =
        feed.settingsState == StoreFileState::Read || feed.settingsState == StoreFileState::Missing;
    baseline.settingsStamp = stampBefore;
    baseline.settingsStampKnown = stampOf(feed.settingsPath) == stampBefore;
    takeSettingsBaseline(feed, idsToWrite(feed, {}));
}

void noteItemsRead(RSSObject& feed, const StoredItems& loaded) {
    StoreBaseline& baseline = feed.baseline;
    baseline.itemsRead = true;
    baseline.appendOnly = false;
    baseline.itemsStamp = loaded.stamp;
    baseline.itemsCurrent = loaded.stampKnown;
    takeItemsBaseline(baseline, loaded.items);
}

bool RSSObject::storeFeed() {
    return withFolderLock(*this, [this] {
        std::unordered_set<std::u16string> storedElsewhere;
        refreshSettings(*this, storedElsewhere);
        const bool itemsWritten = !(itemsLoaded || baseline.appendOnly) || writeItems(*this, storedElsewhere);
        const bool settingsWritten = writeSettings(*this);
        return itemsWritten && settingsWritten;
    });
}

bool RSSObject::storeItems() {
    if (!itemsLoaded && !baseline.appendOnly) return false;
    return withFolderLock(*this, [this] {
        std::unordered_set<std::u16string> storedElsewhere;
        refreshSettings(*this, storedElsewhere);
        return writeItems(*this, storedElsewhere);
    });
}

bool RSSObject::storeSettings() {
    return withFolderLock(*this, [this] {
        std::unordered_set<std::u16string> storedElsewhere;
        refreshSettings(*this, storedElsewhere);
        return writeSettings(*this);
    });
}

}  // namespace corvane
