#include "browser/NewsBrowserWindow.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <new>

#include "browser/NewsFolderLoader.h"
#include "platform/ComCall.h"
#include "platform/Trace.h"
#include "platform/Win32Text.h"
#include "platform/WindowClass.h"

namespace corvane::browser {
namespace {

constexpr int kInitialWidth = 1000;
constexpr int kInitialHeight = 700;
// The folder icon of the library that serves the folder class.
constexpr WORD kFolderIconId = 212;

}  // namespace

HRESULT CNewsBrowserWindow::CreateInstance(std::u16string folderPath, std::u16string statePath,
                                           CNewsBrowserWindow** out) {
    *out = new (std::nothrow) CNewsBrowserWindow(std::move(folderPath), std::move(statePath));
    return *out ? S_OK : E_OUTOFMEMORY;
}

CNewsBrowserWindow::CNewsBrowserWindow(std::u16string folderPath, std::u16string statePath)
    : folderPath_(std::move(folderPath)), statePath_(std::move(statePath)) {}

CNewsBrowserWindow::~CNewsBrowserWindow() {
    if (window_) DestroyWindow(window_);
    // Attached to the frame it went with it; otherwise it is still ours.
    if (defaultMenu_ && IsMenu(defaultMenu_)) DestroyMenu(defaultMenu_);
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    if (icon_) DestroyIcon(icon_);
}

STDMETHODIMP CNewsBrowserWindow::QueryInterface(REFIID riid, void** ppv) {
    static const QITAB interfaces[] = {
        QITABENT(CNewsBrowserWindow, IShellBrowser),
        QITABENTMULTI(CNewsBrowserWindow, IOleWindow, IShellBrowser),
        {},
    };
    return queryInterfaceFromTable(this, interfaces, riid, ppv);
}

HRESULT CNewsBrowserWindow::Open(IShellFolder* folder) {
    return comCall(u"CNewsBrowserWindow::Open", [&]() -> HRESULT {
        WNDCLASSEXW frameClass{};
        frameClass.cbSize = sizeof frameClass;
        frameClass.style = CS_HREDRAW | CS_VREDRAW;
        frameClass.lpfnWndProc = &WindowProcedure;
        frameClass.hInstance = GetModuleHandleW(nullptr);
        frameClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        frameClass.lpszClassName = kNewsWindowClass;
        if (!registerWindowClass(frameClass)) return E_FAIL;

        std::wstring title = toWide(windowTitle(folderPath_));
        window_ = CreateWindowExW(0, kNewsWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, kInitialWidth, kInitialHeight, nullptr,
                                  nullptr, frameClass.hInstance, this);
        if (!window_) return E_FAIL;
        if (HMODULE library = folderClassModule()) {
            icon_ = static_cast<HICON>(
                LoadImageW(library, MAKEINTRESOURCEW(kFolderIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
            if (icon_) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        }

        folder_ = ComPtr<IShellFolder>::share(folder);
        HRESULT status = folder_->CreateViewObject(window_, IID_IShellView, view_.putVoid());
        if (FAILED(status)) return status;
        FOLDERSETTINGS settings{FVM_DETAILS, 0};
        RECT client{};
        GetClientRect(window_, &client);
        RECT statusArea{};
        GetWindowRect(status_, &statusArea);
        Area area =
            viewArea(client.right, client.bottom, statusArea.bottom - statusArea.top, statusBarShown_);
        RECT rectangle{area.left, area.top, area.left + area.width, area.top + area.height};
        status = view_->CreateViewWindow(nullptr, &settings, this, &rectangle, &viewWindow_);
        if (FAILED(status)) {
            view_.reset();
            return status;
        }
        UpdateActivation();
        return S_OK;
    });
}

void CNewsBrowserWindow::Show() {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    UpdateActivation();
}

int CNewsBrowserWindow::Run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        bool ours = window_ && (message.hwnd == window_ || IsChild(window_, message.hwnd));
        if (ours && view_ && view_->TranslateAccelerator(&message) == S_OK) continue;
        if (ours && TranslateAcceleratorW(window_, accelerators_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

LRESULT CALLBACK CNewsBrowserWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
    return callWindowObject(u"CNewsBrowserWindow::WindowProcedure", &CNewsBrowserWindow::window_,
                            &CNewsBrowserWindow::HandleMessage, window, message, wParam, lParam);
}

LRESULT CNewsBrowserWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                                      0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
            defaultMenu_ = CreateMenu();
            if (defaultMenu_) {
                InsertMenusSB(defaultMenu_, nullptr);
                SetMenu(window_, defaultMenu_);
            }
            ACCEL keys[] = {{FVIRTKEY, VK_F5, static_cast<WORD>(kCommandRefresh)}};
            accelerators_ = CreateAcceleratorTableW(keys, 1);
            return 0;
        }
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam));
            return 0;
        case WM_SETFOCUS:
            if (viewWindow_) SetFocus(viewWindow_);
            UpdateActivation();
            return 0;
        case WM_INITMENUPOPUP:
            CheckMenuItem(reinterpret_cast<HMENU>(wParam), kCommandStatusBar,
                          MF_BYCOMMAND | (statusBarShown_ ? MF_CHECKED : MF_UNCHECKED));
            return 0;
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            CloseView();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void CNewsBrowserWindow::OnSize() {
    if (status_) SendMessageW(status_, WM_SIZE, 0, 0);
    if (!viewWindow_) return;
    RECT client{};
    GetClientRect(window_, &client);
    RECT bar{};
    if (status_) GetWindowRect(status_, &bar);
    Area area = viewArea(client.right, client.bottom, bar.bottom - bar.top, statusBarShown_);
    MoveWindow(viewWindow_, area.left, area.top, area.width, area.height, TRUE);
}

void CNewsBrowserWindow::OnActivate(bool active) {
    // The view takes the keyboard whenever the window comes to the front.
    if (active && viewWindow_) SetFocus(viewWindow_);
    UpdateActivation();
}

void CNewsBrowserWindow::UpdateActivation() {
    if (!view_ || !window_) return;
    HWND focus = GetFocus();
    bool focusInView = focus && viewWindow_ && (focus == viewWindow_ || IsChild(viewWindow_, focus));
    Activation wanted = activationFor(GetActiveWindow() == window_, focusInView);
    if (wanted == activation_) return;
    activation_ = wanted;
    view_->UIActivate(static_cast<UINT>(wanted));
}

void CNewsBrowserWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Notifications of the status bar carry its window; menus and accelerators none.
    if (lParam != 0) return;
    UINT id = LOWORD(wParam);
    switch (commandOwner(id)) {
        case CommandOwner::View:
            if (menuOwner_) SendMessageW(menuOwner_, WM_COMMAND, wParam, 0);
            break;
        case CommandOwner::Browser:
            OnBrowserCommand(id);
            break;
        case CommandOwner::Nobody:
            break;
    }
}

void CNewsBrowserWindow::OnBrowserCommand(UINT id) {
    switch (id) {
        case kCommandClose:
            PostMessageW(window_, WM_CLOSE, 0, 0);
            break;
        case kCommandSelectAll:
            SelectAll();
            break;
        case kCommandStatusBar:
            statusBarShown_ = !statusBarShown_;
            ShowWindow(status_, statusBarShown_ ? SW_SHOW : SW_HIDE);
            OnSize();
            break;
        case kCommandRefresh:
            if (ComPtr<IOleCommandTarget> target = view_.as<IOleCommandTarget>(IID_IOleCommandTarget)) {
                HRESULT status =
                    target->Exec(nullptr, OLECMDID_REFRESH, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
                trace(u"CNewsBrowserWindow: refresh 0x%08x", static_cast<uint32_t>(status));
            }
            break;
        case kCommandAboutWindow:
            ShowAbout();
            break;
        default:
            break;
    }
}

void CNewsBrowserWindow::SelectAll() {
    HWND focus = GetFocus();
    if (!focus) return;
    wchar_t className[64] = L"";
    GetClassNameW(focus, className, 64);
    if (lstrcmpiW(className, WC_LISTVIEWW) == 0) {
        ListView_SetItemState(focus, -1, LVIS_SELECTED, LVIS_SELECTED);
    } else {
        SendMessageW(focus, EM_SETSEL, 0, -1);
    }
}

void CNewsBrowserWindow::ShowAbout() {
    std::wstring text = L"The news folder\n" + toWide(folderPath_) +
                        L"\nin a window of its own.\n\nF5 updates the feed. The Corvane menu holds the "
                        L"feed's settings; the list's context menus give labels and delete messages.";
    MessageBoxW(window_, text.c_str(), L"corvane view", MB_OK | MB_ICONINFORMATION);
}

void CNewsBrowserWindow::OnClose() {
    CloseView();
    DestroyWindow(window_);
}

// As the file manager leaves a folder: deactivate (the view saves the feed), keep the layout, and
// only then destroy the view's windows.
void CNewsBrowserWindow::CloseView() {
    if (!view_) return;
    ComPtr<IShellView> view = std::move(view_);
    view->UIActivate(SVUIA_DEACTIVATE);
    activation_ = Activation::Deactivate;
    view->SaveViewState();
    FlushViewState();
    view->DestroyViewWindow();
    viewWindow_ = nullptr;
    menuOwner_ = nullptr;
    view.reset();
    folder_.reset();
}

}  // namespace corvane::browser
