#include "folder/NewsFolder.h"

#include <memory>

#include "feedstore/FolderSave.h"
#include "feedstore/RSSObject.h"
#include "folder/FolderClass.h"
#include "folder/FolderSystem.h"
#include "platform/FileReplace.h"
#include "platform/ProfileFile.h"
#include "platform/Status.h"
#include "platform/Trace.h"
#include "platform/WideFormat.h"

namespace corvane::folder {
namespace {

constexpr size_t kQuestionBufferLength = 1000;

// corvane.xml for a new feed, unless a readable one is there already.
bool storeNewSettings(std::u16string_view folder) {
    std::u16string settingsPath = joinPath(folder, kSettingsFile);
    StoreFileState state = probeStoreFile(settingsPath);
    if (state == StoreFileState::NotLoaded) {
        std::unique_ptr<RSSObject> existing = loadRSSObject(settingsPath, joinPath(folder, kItemsFile));
        if (!existing) return false;
        if (existing->settingsState == StoreFileState::Read) {
            trace(u"kept the settings in %s", settingsPath);
            return true;
        }
        state = existing->settingsState;
    }
    RSSObject feed;
    feed.settingsPath = settingsPath;
    // Carries Unreadable over, so storing keeps a copy of the old file first.
    feed.settingsState = state;
    return feed.storeSettings();
}

FolderResult failure(FolderStatus status, std::u16string file) {
    return {status, std::move(file)};
}

}  // namespace

std::u16string removeQuestion(std::u16string_view folder) {
    std::u16string question = formatWide(kRemoveQuestion, folder);
    return question.size() < kQuestionBufferLength ? question : std::u16string(kRemoveQuestionWithoutPath);
}

bool namesFolderClass(std::u16string_view value) {
    return value == kFolderClassId;
}

bool isNewsFolder(std::u16string_view folder) {
    if (folder.empty()) return false;
    ProfileFile desktopIni(joinPath(folder, kDesktopIniFile));
    return namesFolderClass(desktopIni.readString(kShellClassInfoSection, kClassIdKey, u""));
}

FolderStatus checkFolder(std::u16string_view folder) {
    switch (examinePath(folder)) {
        case PathKind::Missing:
            return FolderStatus::FolderMissing;
        case PathKind::Root:
            return FolderStatus::IsRoot;
        case PathKind::NotAFolder:
            return FolderStatus::NotAFolder;
        case PathKind::Folder:
            break;
    }
    return FolderStatus::Done;
}

FolderResult createNewsFolder(std::u16string_view folder) {
    if (FolderStatus status = checkFolder(folder); status != FolderStatus::Done) return {status, {}};
    if (isNewsFolder(folder)) return {FolderStatus::AlreadyNewsFolder, {}};

    FolderResult result;
    if (!storeNewSettings(folder))
        result = failure(FolderStatus::WriteFailed, joinPath(folder, kSettingsFile));

    ProfileFile desktopIni(joinPath(folder, kDesktopIniFile));
    if (!desktopIni.writeString(kShellClassInfoSection, kClassIdKey, kFolderClassId)) {
        traceError(u"can't write %s", kStatusFail, desktopIni.path());
        return failure(FolderStatus::WriteFailed, desktopIni.path());
    }

    std::u16string readme = joinPath(folder, kReadmeFile);
    if (FileReplaceResult written = replaceFileAtomically(readme, kReadmeText); !written) {
        traceError(u"%s", static_cast<uint32_t>(written.status), written.description);
        if (result.status == FolderStatus::Done) result = failure(FolderStatus::WriteFailed, readme);
    }
    if (!makeSystemFolder(folder) && result.status == FolderStatus::Done)
        result = failure(FolderStatus::WriteFailed, std::u16string(folder));

    trace(u"Notify shell that we add Corvane for %s", folder);
    return result;
}

FolderResult removeNewsFolder(std::u16string_view folder) {
    if (FolderStatus status = checkFolder(folder); status != FolderStatus::Done) return {status, {}};
    if (!isNewsFolder(folder)) return {FolderStatus::NotNewsFolder, {}};

    FolderResult result;
    for (const char16_t* name : {kDesktopIniFile, kSettingsFile, kItemsFile, kReadmeFile}) {
        std::u16string path = joinPath(folder, name);
        if (!deleteFileIfPresent(path) && result.status == FolderStatus::Done)
            result = failure(FolderStatus::DeleteFailed, path);
    }
    // The writers' lock file holds nothing; one a writer still holds goes when it lets go.
    deleteFileIfPresent(joinPath(folder, kFolderLockFile));
    if (!unmakeSystemFolder(folder) && result.status == FolderStatus::Done)
        result = failure(FolderStatus::WriteFailed, std::u16string(folder));

    trace(u"Notify shell that we remove Corvane from %s", folder);
    return result;
}

}  // namespace corvane::folder
