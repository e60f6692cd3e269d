#pragma once

#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/Console.h"
#include "feedstore/RSSDatabase.h"
#include "feedstore/RSSObject.h"
#include "folder/NewsFolder.h"

namespace corvane::cli {

// The folder's full path, as the files inside it are named.
std::u16string absoluteFolder(const std::string& dir);
// Raises a CommandError that says what went wrong, unless the result is Done or AlreadyNewsFolder.
void raiseFolderFailure(const folder::FolderResult& result, const std::string& dir);
// Raises a CommandError unless the path is a folder that may be a news folder.
void requireFolder(const std::string& dir, const std::u16string& path);

// A news folder opened for one command: its feed object and, when asked for, its stored items.
struct OpenFolder {
    std::u16string path;
    std::unique_ptr<RSSObject> feed;
    std::unique_ptr<RSSDatabase> collection;
};

// Opens DIR as a news folder or raises a CommandError that names it: a missing folder, a plain one,
// a corvane.xml that exists but cannot be read (nothing is then changed).
OpenFolder openNewsFolder(const std::string& dir, bool loadItems);

// Writes settings and items back, or raises a CommandError naming the file that could not be written.
void storeFolder(OpenFolder& folder);

}  // namespace corvane::cli
