#pragma once
// The one write path of a news folder's two files (FolderSave.cpp) and what the loads tell it.

#include <string>
#include <string_view>
#include <vector>

#include "feedstore/RSSObject.h"

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
bool writeItemStore(std::u16string_view path, const std::vector<const RSSItem*>& items,
                    StoreFileState& state);

}  // namespace corvane
