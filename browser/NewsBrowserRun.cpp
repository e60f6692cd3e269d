#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "browser/NewsBrowser.h"
#include "browser/NewsBrowserWindow.h"
#include "browser/NewsFolderLoader.h"
#include "browser/ViewStateName.h"
#include "folder/FolderSystem.h"
#include "platform/System.h"
#include "platform/Utf.h"
#include "platform/WideFormat.h"
#include "platform/Win32Text.h"

namespace corvane::browser {
namespace {

std::u16string applicationData() {
    if (std::optional<std::u16string> variable = system::environmentVariable(u"APPDATA");
        variable && !variable->empty())
        return *variable;
    wchar_t path[MAX_PATH] = L"";
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return fromWide(path);
    return {};
}

}  // namespace

int runNewsBrowser(std::u16string_view folderPath, std::string& error) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    std::u16string appData = applicationData();
    std::u16string statePath;
    if (!appData.empty())
        statePath = folder::joinPath(viewStateFolder(appData), viewStateFileName(folderPath));

    LoadedFolder loaded = loadNewsFolder(folderPath);
    if (!loaded.folder) {
        error = loaded.problem;
        return 1;
    }
    ComPtr<CNewsBrowserWindow> window;
    if (FAILED(CNewsBrowserWindow::CreateInstance(std::u16string(folderPath), statePath, window.put()))) {
        error = "out of memory";
        return 1;
    }
    if (HRESULT status = window->Open(loaded.folder.get()); FAILED(status)) {
        error = toUtf8(
            formatWide(u"the news window could not be opened (0x%08X)", static_cast<uint32_t>(status)));
        return 1;
    }
    loaded.folder.reset();
    window->Show();
    return window->Run();
}

}  // namespace corvane::browser
