#pragma once

#include <string>
#include <string_view>

// The file-system questions and changes of news-folder configuration, one implementation per
// platform (the Windows one through the shell's path helpers).
namespace corvane::folder {

enum class PathKind {
    Missing,     // nothing there (or nothing we may see)
    Root,        // a drive root ("C:\", a share) or, natively, "/"
    Folder,      // a folder that is not a root
    NotAFolder,  // a file or something else
};

// What `path` is, judged as the menu handler judges a selection: a root first, then a folder.
PathKind examinePath(std::u16string_view path);

// `name` inside `folder`.
std::u16string joinPath(std::u16string_view folder, std::u16string_view name);

// The system-folder mark that makes Explorer read a folder's desktop.ini. Natively there is none,
// and both succeed without doing anything.
bool makeSystemFolder(std::u16string_view folder);
bool unmakeSystemFolder(std::u16string_view folder);

// True when the file is gone afterwards, also when it was never there.
bool deleteFileIfPresent(std::u16string_view path);

}  // namespace corvane::folder
