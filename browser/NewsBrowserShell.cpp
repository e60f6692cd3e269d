// The news window's side of the shell's browser contract: the shared menu bar, the status bar and the
// per-folder view-state stream.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "browser/NewsBrowserWindow.h"
#include "browser/ViewStateFile.h"
#include "platform/ComCall.h"
#include "platform/Trace.h"
#include "platform/Win32Text.h"

namespace corvane::browser {
namespace {

void appendItem(HMENU popup, UINT id, const wchar_t* text) {
    AppendMenuW(popup, MF_STRING, id, text);
}

void appendPopup(HMENU menu, UINT id, const wchar_t* text, HMENU popup) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    item.wID = id;
    item.hSubMenu = popup;
    item.dwTypeData = const_cast<wchar_t*>(text);
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
}

// The captions of the menu bar, for the trace: "Cor&vane|&File|&View|&Help".
std::u16string menuCaptions(HMENU menu) {
    std::u16string captions;
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[64] = L"";
        GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
        if (position > 0) captions += u'|';
        captions += fromWide(text);
    }
    return captions;
}

constexpr UINT kSharedPopups[] = {FCIDM_MENU_FILE, FCIDM_MENU_EDIT, FCIDM_MENU_VIEW, FCIDM_MENU_HELP};

}  // namespace

STDMETHODIMP CNewsBrowserWindow::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP CNewsBrowserWindow::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// Fresh popups every time: the view destroys the shared menu, and with it whatever we left in it.
STDMETHODIMP CNewsBrowserWindow::InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) {
    if (!shared) return E_INVALIDARG;
    HMENU file = CreatePopupMenu();
    appendItem(file, kCommandClose, L"&Close");
    appendPopup(shared, FCIDM_MENU_FILE, L"&File", file);
    HMENU edit = CreatePopupMenu();
    appendItem(edit, kCommandSelectAll, L"Select &All");
    appendPopup(shared, FCIDM_MENU_EDIT, L"&Edit", edit);
    HMENU view = CreatePopupMenu();
    appendItem(view, kCommandStatusBar, L"&Status Bar");
    AppendMenuW(view, MF_SEPARATOR, 0, nullptr);
    appendItem(view, kCommandRefresh, L"&Refresh\tF5");
    appendPopup(shared, FCIDM_MENU_VIEW, L"&View", view);
    HMENU help = CreatePopupMenu();
    appendItem(help, kCommandAboutWindow, L"&About This Window");
    appendPopup(shared, FCIDM_MENU_HELP, L"&Help", help);
    if (widths) {
        // The container's groups: File and Edit, View, Help.
        widths->width[0] = 2;
        widths->width[2] = 1;
        widths->width[4] = 1;
    }
    return S_OK;
}

STDMETHODIMP CNewsBrowserWindow::SetMenuSB(HMENU shared, HOLEMENU, HWND activeObject) {
    return comCall(u"CNewsBrowserWindow::SetMenuSB", [&]() -> HRESULT {
        if (!window_) return E_FAIL;
        HMENU shown = shared ? shared : defaultMenu_;
        menuOwner_ = shared ? activeObject : nullptr;
        SetMenu(window_, shown);
        DrawMenuBar(window_);
        trace(u"CNewsBrowserWindow::SetMenuSB %s", menuCaptions(shown));
        return S_OK;
    });
}

STDMETHODIMP CNewsBrowserWindow::RemoveMenusSB(HMENU shared) {
    if (!shared) return E_INVALIDARG;
    for (UINT id : kSharedPopups)
        DeleteMenu(shared, id, MF_BYCOMMAND);
    return S_OK;
}

STDMETHODIMP CNewsBrowserWindow::SetStatusTextSB(LPCWSTR text) {
    return comCall(u"CNewsBrowserWindow::SetStatusTextSB", [&]() -> HRESULT {
        if (!status_) return E_FAIL;
        SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text ? text : L""));
        trace(u"CNewsBrowserWindow::SetStatusTextSB %s", fromWide(text ? text : L""));
        return S_OK;
    });
}

STDMETHODIMP CNewsBrowserWindow::EnableModelessSB(BOOL) {
    return S_OK;
}

STDMETHODIMP CNewsBrowserWindow::TranslateAcceleratorSB(MSG*, WORD) {
    return S_FALSE;
}

// One folder per window: there is nowhere else to go.
STDMETHODIMP CNewsBrowserWindow::BrowseObject(PCUIDLIST_RELATIVE, UINT) {
    return E_NOTIMPL;
}

// Reading hands out a copy of the file; writing a stream in memory that is put in the file once the
// view has saved (FlushViewState). Without a file there is nothing to read.
STDMETHODIMP CNewsBrowserWindow::GetViewStateStream(DWORD mode, IStream** stream) {
    return comCall(u"CNewsBrowserWindow::GetViewStateStream", [&]() -> HRESULT {
        if (!stream) return E_POINTER;
        *stream = nullptr;
        if (statePath_.empty()) return E_FAIL;
        DWORD access = mode & (STGM_WRITE | STGM_READWRITE);
        std::optional<std::vector<uint8_t>> bytes;
        if (access != STGM_WRITE) {
            bytes = loadViewState(statePath_);
            if (!bytes && access == STGM_READ) return E_FAIL;
        }
        ComPtr<IStream> memory;
        HRESULT status = CreateStreamOnHGlobal(nullptr, TRUE, memory.put());
        if (FAILED(status)) return status;
        if (bytes && !bytes->empty()) {
            memory->Write(bytes->data(), static_cast<ULONG>(bytes->size()), nullptr);
            LARGE_INTEGER start{};
            memory->Seek(start, STREAM_SEEK_SET, nullptr);
        }
        if (access != STGM_READ) pendingState_ = memory;
        *stream = memory.detach();
        return S_OK;
    });
}

void CNewsBrowserWindow::FlushViewState() {
    ComPtr<IStream> written = std::move(pendingState_);
    if (!written) return;
    STATSTG stat{};
    if (FAILED(written->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0) return;
    std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start{};
    written->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    written->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    if (saveViewState(statePath_, bytes)) trace(u"CNewsBrowserWindow: view state written to %s", statePath_);
}

STDMETHODIMP CNewsBrowserWindow::GetControlWindow(UINT id, HWND* window) {
    if (!window) return E_POINTER;
    *window = id == FCW_STATUS ? status_ : nullptr;
    return *window ? S_OK : E_NOTIMPL;
}

STDMETHODIMP CNewsBrowserWindow::SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam,
                                                LRESULT* result) {
    if (result) *result = 0;
    if (id != FCW_STATUS || !status_) return E_NOTIMPL;
    LRESULT answer = SendMessageW(status_, message, wParam, lParam);
    if (result) *result = answer;
    return S_OK;
}

STDMETHODIMP CNewsBrowserWindow::QueryActiveShellView(IShellView** view) {
    if (!view) return E_POINTER;
    *view = view_.get();
    if (!*view) return E_FAIL;
    (*view)->AddRef();
    return S_OK;
}

STDMETHODIMP CNewsBrowserWindow::OnViewWindowActive(IShellView*) {
    UpdateActivation();
    return S_OK;
}

// No toolbar.
STDMETHODIMP CNewsBrowserWindow::SetToolbarItems(LPTBBUTTONSB, UINT, UINT) {
    return S_OK;
}

}  // namespace corvane::browser
