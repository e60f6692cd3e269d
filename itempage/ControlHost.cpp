#include "itempage/ControlHost.h"

#include <ocidl.h>
#include <ole2.h>
#include <shlwapi.h>

#include <new>
#include <string>

#include "platform/ComCall.h"
#include "platform/ComObject.h"
#include "platform/ComPtr.h"
#include "platform/WindowClass.h"

namespace corvane {
namespace {

// The class of the platform's HTML document; not in mingw's import libraries.
constexpr CLSID kHtmlDocumentClass = {
    0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};

HRESULT createWithCom(REFCLSID clsid, REFIID riid, void** object) {
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, object);
}

ControlFactory controlFactory = &createWithCom;

// The class the window text names, or false when it names none.
bool controlClassOf(const std::wstring& text, CLSID& clsid) {
    if (text.rfind(L"MSHTML:", 0) == 0) {
        clsid = kHtmlDocumentClass;
        return true;
    }
    if (text.empty()) return false;
    if (text.front() == L'{') return SUCCEEDED(CLSIDFromString(text.c_str(), &clsid));
    return SUCCEEDED(CLSIDFromProgID(text.c_str(), &clsid));
}

// The container side of one hosted control: only what an in-place object asks of its site and
// frame. Apartment-threaded, lives as long as the window or the control still holds it.
class CControlHost final : public ComObject<CControlHost, IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame> {
  public:
    static ComPtr<CControlHost> Create(HWND window) {
        return ComPtr<CControlHost>(new (std::nothrow) CControlHost(window));
    }

    void CreateControl() {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window_)), L'\0');
        GetWindowTextW(window_, text.data(), static_cast<int>(text.size()) + 1);
        CLSID clsid;
        if (!controlClassOf(text, clsid)) return;
        ComPtr<IUnknown> control;
        if (FAILED(controlFactory(clsid, IID_IUnknown, control.putVoid())) || !control) return;
        control_ = control;
        oleObject_ = control.as<IOleObject>(IID_IOleObject);
        if (!oleObject_) return;  // hosted, but not a control that shows itself
        if (FAILED(oleObject_->SetClientSite(this))) return;
        if (auto persist = control.as<IPersistStreamInit>(IID_IPersistStreamInit)) persist->InitNew();
        RECT client;
        GetClientRect(window_, &client);
        oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, window_, &client);
    }

    // Our own references go before the window does, the control's site last.
    void ReleaseControl() {
        if (inPlaceObject_) inPlaceObject_->InPlaceDeactivate();
        inPlaceObject_.reset();
        if (oleObject_) {
            oleObject_->Close(OLECLOSE_NOSAVE);
            oleObject_->SetClientSite(nullptr);
        }
        oleObject_.reset();
        control_.reset();
        window_ = nullptr;
    }

    void Resize() {
        if (!inPlaceObject_ || !window_) return;
        RECT client;
        GetClientRect(window_, &client);
        inPlaceObject_->SetObjectRects(&client, &client);
    }

    IUnknown* Control() const { return control_.get(); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        static const QITAB interfaces[] = {
            QITABENT(CControlHost, IOleClientSite),
            QITABENTMULTI(CControlHost, IOleWindow, IOleInPlaceSite),
            QITABENT(CControlHost, IOleInPlaceSite),
            QITABENTMULTI(CControlHost, IOleInPlaceUIWindow, IOleInPlaceFrame),
            QITABENT(CControlHost, IOleInPlaceFrame),
            {},
        };
        return queryInterfaceFromTable(this, interfaces, riid, ppv);
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, for the site and the frame alike
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return window_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return window_ ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override {
        inPlaceObject_ = control_.as<IOleInPlaceObject>(IID_IOleInPlaceObject);
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                  RECT* clip, OLEINPLACEFRAMEINFO* info) override {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        *frame = this;
        AddRef();
        *document = nullptr;
        GetClientRect(window_, position);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(window_, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        inPlaceObject_.reset();
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(const RECT* position) override {
        if (!position) return E_POINTER;
        if (inPlaceObject_) inPlaceObject_->SetObjectRects(position, position);
        return S_OK;
    }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: no tool bars, menus or status bar to share.
    STDMETHODIMP GetBorder(RECT*) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override { return widths ? E_NOTIMPL : S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }

  private:
    friend class ComObject<CControlHost, IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame>;
    explicit CControlHost(HWND window) : window_(window) {}
    ~CControlHost() = default;

    HWND window_;
    ComPtr<IUnknown> control_;
    ComPtr<IOleObject> oleObject_;
    ComPtr<IOleInPlaceObject> inPlaceObject_;
};

CControlHost* hostOf(HWND window) {
    return reinterpret_cast<CControlHost*>(GetWindowLongPtrW(window, 0));
}

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return windowCall(
        u"hostProcedure", message,
        [&]() -> LRESULT {
            if (message == controlHostGetControlMessage()) {
                CControlHost* host = hostOf(window);
                IUnknown* control = host ? host->Control() : nullptr;
                if (control) control->AddRef();
                return reinterpret_cast<LRESULT>(control);
            }
            switch (message) {
                case WM_CREATE: {
                    ComPtr<CControlHost> host = CControlHost::Create(window);
                    if (!host) return -1;
                    // Tied before the control is made: making it sends the window messages.
                    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(host.get()));
                    try {
                        host->CreateControl();
                    } catch (...) {
                        host->ReleaseControl();
                    }
                    // The window's reference from here, given back at WM_DESTROY.
                    host.detach();
                    return 0;
                }
                case WM_SIZE:
                    if (CControlHost* host = hostOf(window)) host->Resize();
                    return 0;
                case WM_ERASEBKGND:
                    // The in-place control paints all of the window.
                    if (CControlHost* host = hostOf(window); host && host->Control()) return 1;
                    break;
                case WM_DESTROY:
                    if (ComPtr<CControlHost> host{hostOf(window)}) {
                        SetWindowLongPtrW(window, 0, 0);
                        host->ReleaseControl();
                    }
                    return 0;
                default:
                    break;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        },
        [&] { return DefWindowProcW(window, message, wParam, lParam); });
}

}  // namespace

bool registerControlHostClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &hostProcedure;
    windowClass.cbWndExtra = sizeof(LONG_PTR);
    windowClass.hInstance = module::Instance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kControlHostClass;
    return registerWindowClass(windowClass);
}

UINT controlHostGetControlMessage() {
    static const UINT message = RegisterWindowMessageW(L"WM_ATLGETCONTROL");
    return message;
}

ControlFactory setControlFactory(ControlFactory factory) {
    const ControlFactory previous = controlFactory;
    controlFactory = factory ? factory : &createWithCom;
    return previous;
}

}  // namespace corvane
