#include <windows.h>
#include <shlwapi.h>

#include "folder/FolderSystem.h"
#include "platform/Win32Text.h"

namespace corvane::folder {

PathKind examinePath(std::u16string_view path) {
    std::wstring name = toWide(path);
    if (name.empty()) return PathKind::Missing;
    if (PathIsRootW(name.c_str())) return PathKind::Root;
    if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return PathIsDirectoryW(name.c_str()) ? PathKind::Folder : PathKind::NotAFolder;
}

std::u16string joinPath(std::u16string_view folder, std::u16string_view name) {
    wchar_t joined[MAX_PATH] = {};
    if (PathCombineW(joined, toWide(folder).c_str(), toWide(name).c_str())) return fromWide(joined);
    // PathCombineW stops at MAX_PATH; a longer path is joined as it stands.
    std::u16string path(folder);
    if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
    return path + std::u16string(name);
}

bool makeSystemFolder(std::u16string_view folder) {
    return PathMakeSystemFolderW(toWide(folder).c_str()) != FALSE;
}

bool unmakeSystemFolder(std::u16string_view folder) {
    return PathUnmakeSystemFolderW(toWide(folder).c_str()) != FALSE;
}

bool deleteFileIfPresent(std::u16string_view path) {
    if (DeleteFileW(toWide(path).c_str())) return true;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace corvane::folder
