#pragma once
// Windows only: the news window of `corvane view`, a top-level frame that hosts a news folder's
// shell view as the file manager does: the shared menu bar, the status bar, refresh, activation,
// and a view-state stream kept per folder in the user's application data.

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "browser/BrowserFrame.h"
#include "platform/ComObject.h"
#include "platform/ComPtr.h"

namespace corvane::browser {

inline constexpr wchar_t kNewsWindowClass[] = L"CorvaneNewsWindow";

class CNewsBrowserWindow final : public ComObject<CNewsBrowserWindow, IShellBrowser> {
  public:
    // `statePath` is the view-state file of this folder; empty when there is nowhere to keep it.
    static HRESULT CreateInstance(std::u16string folderPath, std::u16string statePath,
                                  CNewsBrowserWindow** out);

    // Makes the frame and the folder's view in it; the frame is shown afterwards with Show.
    HRESULT Open(IShellFolder* folder);
    void Show();
    // Runs the window's messages until it is closed.
    int Run();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // IShellBrowser
    STDMETHODIMP InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHODIMP SetMenuSB(HMENU shared, HOLEMENU descriptor, HWND activeObject) override;
    STDMETHODIMP RemoveMenusSB(HMENU shared) override;
    STDMETHODIMP SetStatusTextSB(LPCWSTR text) override;
    STDMETHODIMP EnableModelessSB(BOOL enable) override;
    STDMETHODIMP TranslateAcceleratorSB(MSG* message, WORD id) override;
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE pidl, UINT flags) override;
    STDMETHODIMP GetViewStateStream(DWORD mode, IStream** stream) override;
    STDMETHODIMP GetControlWindow(UINT id, HWND* window) override;
    STDMETHODIMP SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result) override;
    STDMETHODIMP QueryActiveShellView(IShellView** view) override;
    STDMETHODIMP OnViewWindowActive(IShellView* view) override;
    STDMETHODIMP SetToolbarItems(LPTBBUTTONSB buttons, UINT count, UINT flags) override;

  private:
    friend class ComObject<CNewsBrowserWindow, IShellBrowser>;
    CNewsBrowserWindow(std::u16string folderPath, std::u16string statePath);
    ~CNewsBrowserWindow();

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnSize();
    void OnActivate(bool active);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnBrowserCommand(UINT id);
    void OnClose();
    void UpdateActivation();
    void CloseView();
    void FlushViewState();
    void SelectAll();
    void ShowAbout();

    std::u16string folderPath_;
    std::u16string statePath_;
    HWND window_ = nullptr;
    HWND status_ = nullptr;
    HWND viewWindow_ = nullptr;
    // The view's window while its merged menu is shown: its commands go there.
    HWND menuOwner_ = nullptr;
    HMENU defaultMenu_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HICON icon_ = nullptr;
    bool statusBarShown_ = true;
    Activation activation_ = Activation::Deactivate;
    ComPtr<IShellFolder> folder_;
    ComPtr<IShellView> view_;
    // What the view wrote for SaveViewState, until it is put in the file.
    ComPtr<IStream> pendingState_;
};

}  // namespace corvane::browser
