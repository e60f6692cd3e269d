#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "folder/FolderSystem.h"
#include "platform/Utf.h"

namespace corvane::folder {

PathKind examinePath(std::u16string_view path) {
    std::string name = toUtf8(path);
    struct stat info;
    if (name.empty() || ::stat(name.c_str(), &info) != 0) return PathKind::Missing;
    if (!S_ISDIR(info.st_mode)) return PathKind::NotAFolder;
    // Only the root is its own parent.
    struct stat parent;
    if (::stat((name + "/..").c_str(), &parent) == 0 && parent.st_dev == info.st_dev &&
        parent.st_ino == info.st_ino)
        return PathKind::Root;
    return PathKind::Folder;
}

std::u16string joinPath(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (!path.empty() && path.back() != u'/') path += u'/';
    return path + std::u16string(name);
}

bool makeSystemFolder(std::u16string_view) {
    return true;
}

bool unmakeSystemFolder(std::u16string_view) {
    return true;
}

bool deleteFileIfPresent(std::u16string_view path) {
    return ::unlink(toUtf8(path).c_str()) == 0 || errno == ENOENT;
}

}  // namespace corvane::folder
