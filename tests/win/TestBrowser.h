#pragma once
// Windows only: a browser of the tests' own for the news view. It records the menus and status
// texts the view gives it and keeps the view-state stream in memory, across views.

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "platform/ComPtr.h"

namespace corvane::testing {

class TestBrowser final : public IShellBrowser {
  public:
    explicit TestBrowser(HWND window) : window_(window) {}
    void setWindow(HWND window) { window_ = window; }

    std::vector<std::wstring> statusTexts;
    HMENU sharedMenu = nullptr;  // as last given to SetMenuSB
    int removeMenusCalls = 0;
    bool refuseStream = false;
    ComPtr<IStream> stored;

    // The stored record's bytes.
    std::vector<uint8_t> storedBytes() const {
        std::vector<uint8_t> bytes;
        if (!stored) return bytes;
        STATSTG stat{};
        stored->Stat(&stat, STATFLAG_NONAME);
        bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
        LARGE_INTEGER start{};
        stored->Seek(start, STREAM_SEEK_SET, nullptr);
        ULONG read = 0;
        stored->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
        bytes.resize(read);
        return bytes;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IOleWindow) &&
            !IsEqualIID(riid, IID_IShellBrowser))
            return E_NOINTERFACE;
        *ppv = static_cast<IShellBrowser*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack

    STDMETHODIMP GetWindow(HWND* window) override {
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InsertMenusSB(HMENU menu, LPOLEMENUGROUPWIDTHS) override {
        appendPopup(menu, L"&File", FCIDM_MENU_FILE);
        appendPopup(menu, L"&Edit", FCIDM_MENU_EDIT);
        appendPopup(menu, L"&View", FCIDM_MENU_VIEW);
        return S_OK;
    }
    STDMETHODIMP SetMenuSB(HMENU menu, HOLEMENU, HWND) override {
        sharedMenu = menu;
        return S_OK;
    }
    STDMETHODIMP RemoveMenusSB(HMENU) override {
        ++removeMenusCalls;
        return S_OK;
    }
    STDMETHODIMP SetStatusTextSB(LPCWSTR text) override {
        statusTexts.push_back(text ? text : L"");
        return S_OK;
    }
    STDMETHODIMP EnableModelessSB(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return S_FALSE; }
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP GetViewStateStream(DWORD mode, IStream** stream) override {
        *stream = nullptr;
        if (refuseStream) return E_FAIL;
        if ((mode & STGM_WRITE) != 0) {
            if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stored.put()))) return E_FAIL;
        } else if (!stored) {
            return E_FAIL;
        }
        LARGE_INTEGER start{};
        stored->Seek(start, STREAM_SEEK_SET, nullptr);
        *stream = stored.get();
        stored->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetControlWindow(UINT, HWND* window) override {
        *window = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result) override {
        if (result) *result = 0;
        return E_NOTIMPL;
    }
    STDMETHODIMP QueryActiveShellView(IShellView** view) override {
        *view = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP OnViewWindowActive(IShellView*) override { return S_OK; }
    STDMETHODIMP SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return S_OK; }

  private:
    static void appendPopup(HMENU menu, const wchar_t* text, UINT id) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.wID = id;
        item.hSubMenu = CreatePopupMenu();
        item.dwTypeData = const_cast<wchar_t*>(text);
        InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
    }

    HWND window_;
    ULONG refs_ = 1;
};

}  // namespace corvane::testing
