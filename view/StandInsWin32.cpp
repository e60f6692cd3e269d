// Windows only, temporary: the page control the view calls, until its own code is merged. A blank
// page window; this file goes when the page arrives.
#include "itempage/WebPageControl.h"
#include "platform/ModuleLock.h"

namespace corvane {

WebPageControl::WebPageControl() = default;

WebPageControl::~WebPageControl() {
    Destroy();
}

HWND WebPageControl::Create(HWND parent, const wchar_t* windowText, DWORD style, DWORD exStyle) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(module::Instance(), L"KtWebHost", &existing)) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = module::Instance();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = L"KtWebHost";
        RegisterClassExW(&windowClass);
    }
    if (style == 0) style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    window_ = CreateWindowExW(exStyle, L"KtWebHost", windowText, style, 0, 0, 0, 0, parent, nullptr,
                              module::Instance(), nullptr);
    return window_;
}

HRESULT WebPageControl::QueryControl(REFIID, void** ppv) {
    if (ppv) *ppv = nullptr;
    return E_FAIL;
}

void WebPageControl::ShowItem(const RSSItem&) {}

void WebPageControl::Destroy() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
}

}  // namespace corvane
