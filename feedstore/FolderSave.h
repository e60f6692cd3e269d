#pragma once
// The one write path of a news folder's two files (FolderSave.cpp) and what the loads tell it.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "feedstore/RSSObject.h"
#include "feedstore/StoreRoom.h"
#include "feedstore/XmlTextWriter.h"
#include "platform/FileReplace.h"

namespace corvane {

// The name of the lock file every writer of the folder takes; empty when the object names no files.
inline constexpr char16_t kFolderLockFile[] = u"corvane.lock";
std::u16string folderLockPath(const RSSObject& feed);

// Called by the loads: what they read becomes the object's baseline.
void noteSettingsRead(RSSObject& feed, const FileStamp& stampBefore);
void noteItemsRead(RSSObject& feed, const StoredItems& loaded);

// The whole files as the object holds them, replacing what is there; failures are traced.
bool writeSettingsFile(RSSObject& feed);
// corvane.xml's bytes for the object: those the document model saves for serializeSettingsToXml.
std::string settingsFileText(const RSSObject& feed);
bool writeItemStore(std::u16string_view path, const RSSItemList& items, StoreFileState& state);

// The room a store ends in (StoreRoom.h): its size and where its end is written.
constexpr uint64_t kStoreRoomLeast = 64 * 1024, kStoreRoomMost = 1024 * 1024;
// The room left in a store whose end begins at `at`: about a thirty-second of it.
constexpr uint64_t storeRoomFor(uint64_t at) {
    return std::clamp<uint64_t>(at / 32, kStoreRoomLeast, kStoreRoomMost);
}
// The spaces that put kStoreEnd, written at `at`, wholly inside one sector.
constexpr uint64_t storeEndAlignment(uint64_t at) {
    const uint64_t inSector = at % kSectorSize;
    return inSector + kStoreEnd.size() > kSectorSize ? kSectorSize - inSector : 0;
}
// The end of a store from `at` on: the spaces that align it, kStoreEnd and its room.
void writeStoreEnd(XmlTextWriter& out, uint64_t at);
bool writeItemStore(std::u16string_view path, const std::vector<const RSSItem*>& items,
                    StoreFileState& state);

}  // namespace corvane
