#pragma once
// The feed object and what reads and writes its files. Its members are defined by what they work on:
// the settings in Settings.cpp, the item store in ItemStore.cpp, taking over an update in
// FeedUpdate.cpp.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "feedstore/ItemIdentity.h"
#include "feedstore/RSSItem.h"
#include "feedstore/StoreBaseline.h"
#include "feedstore/StoreFile.h"
#include "feedstore/XmlDocument.h"

namespace corvane {

struct RSSParam {
    std::u16string name;
    std::u16string value;
};

using RSSItemList = std::vector<std::unique_ptr<RSSItem>>;
struct FeedFetch;
class KnownItemIds;

// What reading rssitems.xml produced, made off the owner's thread and taken over on it.
struct StoredItems {
    RSSItemList items;
    StoreFileState state = StoreFileState::NotLoaded;
    bool stampKnown = false;  // the file did not change while it was read
    FileStamp stamp;
};

// Reads the item store at `path`. Never raises: failures are traced, and `state` says how it ended.
StoredItems loadStoredItems(std::u16string_view path);
// Appends the items of an item-store document ("rss" / "channel" / "item") to the list.
void readItemsFromXml(xml::Document& document, RSSItemList& items);

// The feed object of one news folder: its settings (corvane.xml), the ids of every message ever
// taken in, and its item list (rssitems.xml). Used from one thread at a time; workers hand their
// results over to the owner's thread rather than changing the object themselves.
class RSSObject {
  public:
    std::u16string settingsPath;
    std::u16string itemsPath;
    std::u16string url;  // empty: not configured
    std::u16string title;
    std::u16string link;
    std::u16string description;
    bool itemsLoaded = false;
    bool notRss = false;
    bool downloadFailed = false;
    RSSItemList items;
    // Ordered by code units compared as unsigned numbers, a prefix first.
    ItemIdentity identity;
    // Ids that updates took in since the item store was last written. corvane.xml counts them as
    // seen only once their messages are in the store or deleted: while the store cannot be written,
    // a later session's update must bring those messages in again.
    std::set<std::u16string, std::less<>> unstoredIds;
    std::vector<RSSParam> params;

    // The ids of messages held but never stored: not seen for good yet, so corvane.xml leaves them
    // out (deleted messages' ids it keeps).
    std::unordered_set<std::u16string_view> idsNotYetSeen() const;

    // How the two files' last loads ended; a save consults them before replacing a file.
    StoreFileState settingsState = StoreFileState::NotLoaded;
    StoreFileState itemsState = StoreFileState::NotLoaded;
    // What the files held when this object last read or wrote them (FolderSave.cpp).
    StoreBaseline baseline;

    // Settings.
    static std::unique_ptr<RSSObject> serializeSettingsFromXml(xml::Document& document);
    // True when corvane.xml was written, or held what it should already; failures are traced.
    bool storeSettings();
    void serializeSettingsToXml(xml::Document& document, xml::Node& root) const;
    std::u16string getParam(std::u16string_view name, std::u16string_view defaultValue) const;
    void setParam(std::u16string_view name, std::u16string_view value);
    bool isConfigured() const { return !url.empty(); }

    // Items. initializeItems runs at most once per object.
    void initializeItems();
    void takeStoredItems(StoredItems loaded);
    // True when rssitems.xml was written, or held what it should already: not before the store was
    // read, and not on failure.
    bool storeItems();
    // Leaves the store unread: the item list holds only what updates bring, and a save appends it.
    void appendItemsOnly() { baseline.appendOnly = true; }

    // Both files under the folder's lock, re-read first where another writer changed them; only
    // what this object changed since it last read or wrote them is written, on top. A file that
    // would not change is not written. storeItems and storeSettings do the same for one file.
    bool storeFeed();

    // Update: takes over what an update read. The flags describe that update; unless it was
    // cancelled, the channel fields it found replace the feed's, and its items whose id was never
    // seen are appended in feed order, their ids remembered. Known items are never changed.
    void takeFetch(FeedFetch fetch);
    bool isNewId(const RSSItem* item) const { return item && identity.count(item->id) == 0; }
    // A copy of identity for an update's worker, made on the owner's thread as the update starts.
    // What is read with it must be taken over by this feed, whose identity only ever grows.
    std::shared_ptr<const KnownItemIds> knownIds() const;
};

// Reads corvane.xml into a new feed object with both paths set. Never raises: an unreadable or missing
// file gives an unconfigured object (and settingsState says which).
std::unique_ptr<RSSObject> loadRSSObject(std::u16string_view settingsPath, std::u16string_view itemsPath);

// The skeletons new store files are made from.
inline constexpr char16_t kSettingsSkeleton[] = u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<corvane/>";
inline constexpr char16_t kItemsSkeleton[] = u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss/>";

}  // namespace corvane
