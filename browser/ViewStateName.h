#pragma once

#include <string>
#include <string_view>

// Where `corvane view` keeps a news folder's view state: one file per folder under the user's
// application data, named from the folder's full path. Never inside the news folder itself.
namespace corvane::browser {

// The folder's path as one key for every spelling Windows takes as the same folder: '/' or '\',
// repeated or trailing separators, the "\\?\" long-path prefix, and letter case.
std::u16string folderKey(std::u16string_view folderPath);

// A file name for the folder's view state: the folder's own name made safe for a file name, then a
// digest of its key, so two folders of the same name never share a file and the name stays short
// however long the path is.
std::u16string viewStateFileName(std::u16string_view folderPath);

// The folder below the application-data folder that holds the view-state files.
std::u16string viewStateFolder(std::u16string_view appData);

}  // namespace corvane::browser
