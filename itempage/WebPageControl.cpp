#include "itempage/WebPageControl.h"

#include <mshtml.h>
#include <oleauto.h>

#include <memory>
#include <new>

#include "itempage/ControlHost.h"
#include "itempage/ItemPage.h"
#include "itempage/ItemRichText.h"
#include "itempage/RichTextPage.h"
#include "platform/ComCall.h"
#include "platform/ComPtr.h"
#include "platform/ModuleLock.h"
#include "platform/Win32Text.h"
#include "platform/WindowClass.h"

namespace corvane {
namespace {

constexpr wchar_t kWebHostClass[] = L"KtWebHost";
constexpr wchar_t kHtmlDocumentText[] = L"MSHTML:";

// The host class's procedure and where, after the host's own data, ours is kept.
WNDPROC hostProcedure = nullptr;
int controlSlot = 0;

class Bstr {
  public:
    explicit Bstr(std::u16string_view text)
        : value_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                   static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }

  private:
    BSTR value_;
};

// One style sheet per document, and none where the document already has one.
bool installStyleSheet(IHTMLDocument2& document) {
    ComPtr<IHTMLStyleSheetsCollection> sheets;
    if (FAILED(document.get_styleSheets(sheets.put())) || !sheets) return false;
    long count = 0;
    if (FAILED(sheets->get_length(&count))) return false;
    if (count > 0) return true;
    Bstr href(u"");
    ComPtr<IHTMLStyleSheet> sheet;
    if (FAILED(document.createStyleSheet(href.get(), 0, sheet.put())) || !sheet) return false;
    Bstr css(itemPageStyleSheet());
    return SUCCEEDED(sheet->put_cssText(css.get()));
}

}  // namespace

WebPageControl::WebPageControl() = default;

WebPageControl::~WebPageControl() {
    Destroy();
    ReleaseDocument();
}

LRESULT CALLBACK WebPageControl::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return windowCall(
        u"WebPageControl::WindowProcedure", message,
        [&]() -> LRESULT {
            if (message == WM_NCCREATE) {
                auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
                SetWindowLongPtrW(window, controlSlot, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            }
            auto* control = reinterpret_cast<WebPageControl*>(GetWindowLongPtrW(window, controlSlot));
            CRichTextPage* page = control ? control->richPage_.get() : nullptr;
            switch (message) {
                case WM_SIZE: {
                    const LRESULT result = CallWindowProcW(hostProcedure, window, message, wParam, lParam);
                    if (page) page->Resize();
                    return result;
                }
                case WM_NOTIFY: {
                    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                    if (page && header && header->hwndFrom == page->Window() && header->code == EN_LINK)
                        return page->OnLink(*reinterpret_cast<const ENLINK*>(lParam));
                    break;
                }
                case WM_SETFOCUS:
                    if (page && page->Window()) {
                        SetFocus(page->Window());
                        return 0;
                    }
                    break;
                case WM_DESTROY:
                    // Our reference to the document goes before the host closes it.
                    if (control) control->ReleaseDocument();
                    break;
                case WM_NCDESTROY:
                    if (control) {
                        SetWindowLongPtrW(window, controlSlot, 0);
                        control->richPage_.reset();
                        control->window_ = nullptr;
                    }
                    break;
                default:
                    break;
            }
            return CallWindowProcW(hostProcedure, window, message, wParam, lParam);
        },
        [&] { return CallWindowProcW(hostProcedure, window, message, wParam, lParam); });
}

namespace {

// "KtWebHost": the control host's class under our own name, with our procedure in front of its.
bool registerWebHostClass(WNDPROC procedure) {
    const HINSTANCE instance = module::Instance();
    if (!registerControlHostClass()) return false;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(instance, kControlHostClass, &windowClass)) return false;
    hostProcedure = windowClass.lpfnWndProc;
    controlSlot = windowClass.cbWndExtra;
    windowClass.cbWndExtra += sizeof(LONG_PTR);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWebHostClass;
    return registerWindowClass(windowClass);
}

}  // namespace

HWND WebPageControl::Create(HWND parent, const wchar_t* windowText, DWORD style, DWORD exStyle) {
    if (window_) return nullptr;
    if (!registerWebHostClass(&WindowProcedure)) return nullptr;
    if (style == 0) style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    HWND window = CreateWindowExW(exStyle, kWebHostClass, windowText ? windowText : L"", style, 0, 0, 0, 0,
                                  parent, nullptr, module::Instance(), this);
    if (!window) return nullptr;
    window_ = window;

    const bool wantsDocument = windowText && std::wstring_view(windowText).starts_with(kHtmlDocumentText);
    ComPtr<IUnknown> control;
    if (wantsDocument && FAILED(QueryControl(IID_IUnknown, control.putVoid()))) {
        // No HTML engine here: the same page as rich text, which brings its own scroll bar.
        SetWindowLongPtrW(
            window, GWL_STYLE,
            GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL));
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        try {
            richPage_ = CRichTextPage::Create(window);
        } catch (...) {
            richPage_.reset();
        }
    }
    return window;
}

HRESULT WebPageControl::QueryControl(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!window_) return E_FAIL;
    auto* unknown = reinterpret_cast<IUnknown*>(SendMessageW(window_, controlHostGetControlMessage(), 0, 0));
    if (!unknown) return E_FAIL;
    ComPtr<IUnknown> control(unknown);
    return control->QueryInterface(riid, ppv);
}

void WebPageControl::ShowItem(const RSSItem& item) {
    try {
        if (richPage_) {
            richPage_->Show(renderItemRichText(item));
            return;
        }
        if (!document_ && (FAILED(QueryControl(IID_IHTMLDocument2, document_.putVoid())) || !document_)) {
            document_.reset();
            return;
        }
        IHTMLDocument2& document = *document_.get();
        if (!installStyleSheet(document)) return;
        ComPtr<IHTMLElement> body;
        if (FAILED(document.get_body(body.put())) || !body) return;
        Bstr page(renderItemBody(item));
        if (!page.get()) return;
        body->put_innerHTML(page.get());
    } catch (...) {
        // Out of memory while rendering: the page stays as it was.
    }
}

void WebPageControl::ShowNothing() {
    try {
        if (richPage_) {
            richPage_->Show(RichText{});
            return;
        }
        if (!document_) return;
        ComPtr<IHTMLElement> body;
        if (FAILED(document_->get_body(body.put())) || !body) return;
        Bstr empty(u"");
        if (empty.get()) body->put_innerHTML(empty.get());
    } catch (...) {
        // Out of memory: the page stays as it was.
    }
}

void WebPageControl::Destroy() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
}

void WebPageControl::ReleaseDocument() {
    document_.reset();
}

bool WebPageControl::SelectNextLink(bool backwards) {
    return richPage_ && richPage_->SelectNextLink(backwards);
}

bool WebPageControl::OpenSelectedLink() {
    return richPage_ && richPage_->OpenSelectedLink();
}

}  // namespace corvane
