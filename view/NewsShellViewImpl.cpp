#include "view/NewsShellViewImpl.h"

#include <shlwapi.h>

#include <new>

#include "feedstore/Options.h"
#include "platform/ComCall.h"
#include "platform/ModuleLock.h"
#include "platform/Trace.h"
#include "platform/Win32Text.h"
#include "platform/WindowClass.h"
#include "resources/ResourceIds.h"
#include "view/StatusText.h"
#include "view/ViewStateRecord.h"

namespace corvane {
namespace {

bool registerViewClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module::Instance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kViewWindowClass;
    return registerWindowClass(windowClass);
}

}  // namespace

CNewsShellViewImpl::CNewsShellViewImpl(INewsFolderHost* folderHost)
    : host_(folderHost), folder(ComPtr<IUnknown>::share(folderHost->HostObject())) {
    trace(u"CNewsShellViewImpl constructor");
}

CNewsShellViewImpl::~CNewsShellViewImpl() {
    trace(u"CNewsShellViewImpl destructor");
    // The record goes with this object: no run started with it may reach it any more.
    if (threadParams) host_->LetWorkersGo(threadParams.get());
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    CloseProgress();
    if (menu) DestroyMenu(menu);
    page.Destroy();
    browser.reset();
    threadParams.reset();
    folder.reset();
}

HRESULT CNewsShellViewImpl::CreateInstance(INewsFolderHost* folderHost, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!folderHost || !folderHost->Feed() || !folderHost->Collection()) return E_UNEXPECTED;
    return queryCreatedObject(new (std::nothrow) CNewsShellViewImpl(folderHost), riid, ppv);
}

STDMETHODIMP CNewsShellViewImpl::QueryInterface(REFIID riid, void** ppv) {
    static const QITAB interfaces[] = {
        QITABENT(CNewsShellViewImpl, IShellView),
        QITABENTMULTI(CNewsShellViewImpl, IOleWindow, IShellView),
        QITABENT(CNewsShellViewImpl, IOleCommandTarget),
        {},
    };
    return queryInterfaceFromTable(this, interfaces, riid, ppv);
}

STDMETHODIMP CNewsShellViewImpl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    CSplitterWindow* splitter = Splitter();
    *window = splitter ? splitter->Window() : nullptr;
    return S_OK;
}

STDMETHODIMP CNewsShellViewImpl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CNewsShellViewImpl::TranslateAccelerator(MSG* message) {
    if (!message) return E_NOTIMPL;
    return comCall(u"CNewsShellViewImpl::TranslateAccelerator", [&]() -> HRESULT {
        bool ours = window_ && (message->hwnd == window_ || IsChild(window_, message->hwnd));
        return ours && (TranslateReadKey(*message) || TranslateFindKey(*message)) ? S_OK : E_NOTIMPL;
    });
}

STDMETHODIMP CNewsShellViewImpl::EnableModeless(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CNewsShellViewImpl::UIActivate(UINT state) {
    return comCall(u"CNewsShellViewImpl::UIActivate", [&]() -> HRESULT {
        if (state == activationState) return S_OK;
        RemoveMenus();
        if (state == SVUIA_DEACTIVATE)
            SaveFeed();
        else
            MergeMenus(state);
        activationState = state;
        UpdateStatusText();
        return S_OK;
    });
}

STDMETHODIMP CNewsShellViewImpl::Refresh() {
    return comCall(u"CNewsShellViewImpl::Refresh", [&]() -> HRESULT {
        // Before the window exists there is no record to start a worker with.
        if (threadParams && schedule_.refreshRequested()) StartUpdate();
        return S_OK;
    });
}

STDMETHODIMP CNewsShellViewImpl::CreateViewWindow(IShellView*, LPCFOLDERSETTINGS settings,
                                                  IShellBrowser* newBrowser, RECT* rectangle, HWND* window) {
    if (!window) return E_POINTER;
    *window = nullptr;
    return comCall(u"CNewsShellViewImpl::CreateViewWindow", [&]() -> HRESULT {
        if (newBrowser != browser.get()) browser = ComPtr<IShellBrowser>::share(newBrowser);
        if (settings) folderSettings = *settings;
        if (browser) browser->GetWindow(&browserWindow);
        if (window_ || !registerViewClass(&WindowProcedure)) return E_FAIL;
        RECT area = rectangle ? *rectangle : RECT{0, 0, 0, 0};
        HWND created = CreateWindowExW(0, kViewWindowClass, L"",
                                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, area.left,
                                       area.top, area.right - area.left, area.bottom - area.top,
                                       browserWindow, nullptr, module::Instance(), this);
        if (!created) return E_FAIL;
        *window = created;
        return S_OK;
    });
}

STDMETHODIMP CNewsShellViewImpl::DestroyViewWindow() {
    return comCall(u"CNewsShellViewImpl::DestroyViewWindow", [&]() -> HRESULT {
        bool wasActive = activationState != SVUIA_DEACTIVATE;
        UIActivate(SVUIA_DEACTIVATE);
        // A host that never activated the view still gets the user's labels, deletions and messages.
        if (!wasActive && unsaved_) SaveFeed();
        if (menu) {
            DestroyMenu(menu);
            menu = nullptr;
        }
        CloseProgress();
        if (window_) DestroyWindow(window_);
        return S_OK;
    });
}

STDMETHODIMP CNewsShellViewImpl::GetCurrentInfo(LPFOLDERSETTINGS settings) {
    if (!settings) return E_POINTER;
    *settings = folderSettings;
    return S_OK;
}

STDMETHODIMP CNewsShellViewImpl::AddPropertySheetPages(DWORD, LPFNSVADDPROPSHEETPAGE, LPARAM) {
    return E_NOTIMPL;
}

STDMETHODIMP CNewsShellViewImpl::SelectItem(PCUITEMID_CHILD, SVSIF) {
    return E_NOTIMPL;
}

STDMETHODIMP CNewsShellViewImpl::GetItemObject(UINT, REFIID, void** ppv) {
    if (ppv) *ppv = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CNewsShellViewImpl::QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT*) {
    if (!commands) return E_POINTER;
    if (group) return OLECMDERR_E_UNKNOWNGROUP;
    for (ULONG n = 0; n < count; ++n)
        if (commands[n].cmdID == OLECMDID_REFRESH) commands[n].cmdf = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
    return S_OK;
}

STDMETHODIMP CNewsShellViewImpl::Exec(const GUID* group, DWORD id, DWORD, VARIANT*, VARIANT*) {
    if (!group && id == OLECMDID_REFRESH) return Refresh();
    return OLECMDERR_E_UNKNOWNGROUP;
}

void CNewsShellViewImpl::OnStart(kturldownloader*) {}

bool CNewsShellViewImpl::OnProgress(kturldownloader* downloader) {
    // The worker's thread: nothing here touches a window object but the posted wake-up.
    ProgressRelay::Report report = relay_.report(downloader->received(), downloader->contentLength());
    if (report.notify) PostMessageW(window_, WM_FEED_PROGRESS, 0, 0);
    return report.goOn;
}

void CNewsShellViewImpl::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    PostMessageW(window_, message, wParam, lParam);
}

CSplitterWindow* CNewsShellViewImpl::Splitter() const {
    return splitter_.get();
}

void CNewsShellViewImpl::RemoveMenus() {
    if (activationState != SVUIA_DEACTIVATE && menu) {
        if (browser) {
            browser->SetMenuSB(nullptr, nullptr, nullptr);
            browser->RemoveMenusSB(menu);
        }
        DestroyMenu(menu);
        menu = nullptr;
    }
    activationState = SVUIA_DEACTIVATE;
}

void CNewsShellViewImpl::MergeMenus(UINT state) {
    menu = CreateMenu();
    if (!menu || !browser) return;
    OLEMENUGROUPWIDTHS widths{};
    browser->InsertMenusSB(menu, &widths);
    if (HMENU resource = LoadMenuW(module::Instance(), MAKEINTRESOURCEW(IDR_VIEWMENU))) {
        HMENU popup = GetSubMenu(resource, 0);
        // Taken out of the resource menu first, so destroying that one leaves the popup alive.
        if (popup && RemoveMenu(resource, 0, MF_BYPOSITION) &&
            !InsertMenuW(menu, FCIDM_MENU_FILE, MF_BYCOMMAND | MF_POPUP | MF_STRING,
                         reinterpret_cast<UINT_PTR>(popup), L"Cor&vane"))
            DestroyMenu(popup);
        DestroyMenu(resource);
    }
    if (state == SVUIA_ACTIVATE_FOCUS) DeleteMenu(menu, FCIDM_MENU_EDIT, MF_BYCOMMAND);
    browser->SetMenuSB(menu, nullptr, window_);
}

void CNewsShellViewImpl::UpdateStatusText() {
    if (activationState == SVUIA_DEACTIVATE || !browser) return;
    RSSDatabase& collection = *host_->Collection();
    std::optional<size_t> shown;
    if (filter_.active()) shown = filter_.rowCount(collection);
    std::wstring text = toWide(statusText(*host_->Feed(), collection, shown));
    browser->SetStatusTextSB(text.c_str());
}

void CNewsShellViewImpl::SaveFeed() {
    RSSObject& feed = *host_->Feed();
    feed.storeFeed();
    unsaved_ = false;
}

LRESULT CALLBACK CNewsShellViewImpl::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
    // The host may let the view go inside the message loop of one of its boxes: the view stays until
    // the message that opened the box is handled, and after the box looks whether its window is left.
    auto alive = ComPtr<IShellView>::share(static_cast<IShellView*>(
        reinterpret_cast<CNewsShellViewImpl*>(GetWindowLongPtrW(window, GWLP_USERDATA))));
    return callWindowObject(u"CNewsShellViewImpl::WindowProcedure", &CNewsShellViewImpl::window_,
                            &CNewsShellViewImpl::HandleMessage, window, message, wParam, lParam);
}

}  // namespace corvane
