#include "tests/screens/HostedView.h"

#include "folder/FolderImpl.h"
#include "platform/ComPtr.h"
#include "tests/screens/Screens.h"
#include "tests/win/TestBrowser.h"

namespace corvane::screens {
namespace {

HWND hostedViewWindow = nullptr;

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && hostedViewWindow) {
        MoveWindow(hostedViewWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    if (message == WM_TIMER) {
        KillTimer(window, wParam);
        Ready();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HostedView ShowHostedView(const std::wstring& path, int width, int height) {
    HostedView hosted;
    hosted.frame =
        CreateFrame(L"CorvaneScreensFrame", &frameProcedure, L"news - Corvane", width, height, COLOR_WINDOW);
    ShowWindow(hosted.frame, SW_SHOW);

    static testing::TestBrowser browser(hosted.frame);
    ComPtr<IShellFolder> folder;
    CFolderImpl::CreateInstance(nullptr, IID_IShellFolder, folder.putVoid());
    PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(path.c_str());
    folder.as<IPersistFolder>(IID_IPersistFolder)->Initialize(pidl);
    ILFree(pidl);
    static ComPtr<IShellView> view;
    folder->CreateViewObject(hosted.frame, IID_IShellView, view.putVoid());
    FOLDERSETTINGS settings{FVM_DETAILS, 0};
    RECT client;
    GetClientRect(hosted.frame, &client);
    view->CreateViewWindow(nullptr, &settings, &browser, &client, &hostedViewWindow);
    view->UIActivate(SVUIA_ACTIVATE_FOCUS);
    SetMenu(hosted.frame, browser.sharedMenu);
    hosted.viewWindow = hostedViewWindow;
    hosted.view = view.get();
    return hosted;
}

}  // namespace corvane::screens
