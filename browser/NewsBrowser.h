#pragma once

#include <string>
#include <string_view>

namespace corvane::browser {

// Windows only: shows the news folder at `folderPath` (a full path) in a window of its own and
// returns when the user has closed it: 0; or 1, with `error` saying why the window could not open.
// The calling thread must be in a single-threaded COM apartment.
int runNewsBrowser(std::u16string_view folderPath, std::string& error);

}  // namespace corvane::browser
