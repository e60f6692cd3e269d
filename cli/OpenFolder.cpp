#include "cli/OpenFolder.h"

#include <filesystem>

#include "folder/FolderSystem.h"
#include "folder/NewsFolder.h"
#include "platform/Utf.h"

namespace corvane::cli {

std::u16string absoluteFolder(const std::string& dir) {
    std::error_code ignored;
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(fromUtf8(dir)), ignored);
    std::u16string text = path.lexically_normal().u16string();
    while (text.size() > 1 && (text.back() == u'/' || text.back() == u'\\') && text[text.size() - 2] != u':')
        text.pop_back();
    return text;
}

void raiseFolderFailure(const folder::FolderResult& result, const std::string& dir) {
    switch (result.status) {
        case folder::FolderStatus::Done:
        case folder::FolderStatus::AlreadyNewsFolder:
            return;
        case folder::FolderStatus::FolderMissing:
            throw CommandError(dir + ": no such folder");
        case folder::FolderStatus::NotAFolder:
            throw CommandError(dir + ": not a folder");
        case folder::FolderStatus::IsRoot:
            throw CommandError(dir + ": the root of a drive cannot be a news folder");
        case folder::FolderStatus::NotNewsFolder:
            throw CommandError(dir + " is not a news folder; nothing changed");
        case folder::FolderStatus::WriteFailed:
            throw CommandError("could not write " + toUtf8(result.file));
        case folder::FolderStatus::DeleteFailed:
            throw CommandError("could not delete " + toUtf8(result.file));
    }
}

void requireFolder(const std::string& dir, const std::u16string& path) {
    raiseFolderFailure({folder::checkFolder(path), {}}, dir);
}

OpenFolder openNewsFolder(const std::string& dir, bool loadItems) {
    OpenFolder opened;
    opened.path = absoluteFolder(dir);
    requireFolder(dir, opened.path);
    if (!folder::isNewsFolder(opened.path))
        throw CommandError(dir + " is not a news folder (make it one with: corvane create " + dir + ")");
    opened.feed = loadRSSObject(folder::joinPath(opened.path, folder::kSettingsFile),
                                folder::joinPath(opened.path, folder::kItemsFile));
    if (!opened.feed) throw CommandError("out of memory");
    StoreFileState settings = opened.feed->settingsState;
    if (settings == StoreFileState::Unreadable || settings == StoreFileState::Locked)
        throw CommandError(toUtf8(opened.feed->settingsPath) + " cannot be read; nothing was changed");
    opened.collection = std::make_unique<RSSDatabase>(*opened.feed);
    if (loadItems) {
        opened.feed->initializeItems();
        if (opened.feed->itemsState == StoreFileState::Locked)
            throw CommandError(toUtf8(opened.feed->itemsPath) + " cannot be opened; nothing was changed");
        if (opened.feed->itemsState == StoreFileState::Unreadable)
            writeError("corvane: " + toUtf8(opened.feed->itemsPath) +
                       " cannot be read; a copy of it is kept as .bad before it is next written\n");
    }
    return opened;
}

void storeFolder(OpenFolder& opened) {
    if (!opened.feed->storeFeed())
        throw CommandError("could not write " + toUtf8(opened.feed->settingsPath) + " or " +
                           toUtf8(opened.feed->itemsPath));
}

}  // namespace corvane::cli
