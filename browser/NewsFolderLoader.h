#pragma once
// Windows only: the news folder's shell folder object, found as the file manager finds it.

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <string_view>

#include "platform/ComPtr.h"

namespace corvane::browser {

struct LoadedFolder {
    ComPtr<IShellFolder> folder;
    std::string problem;  // why there is no folder, for the user
};

// The registered folder class; when it is not registered, corvane.dll beside this program through
// its DllGetClassObject, so a build tree works without registration. The folder is initialised
// with the path's item list.
LoadedFolder loadNewsFolder(std::u16string_view folderPath);

// The library that serves the folder class in this process, once loadNewsFolder has succeeded.
HMODULE folderClassModule();

}  // namespace corvane::browser
