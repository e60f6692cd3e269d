#pragma once
// Windows only: the message page of the news view. A child window of class "KtWebHost" hosting an
// HTML document; where no HTML document can be created it shows the same page as rich text.

#include <windows.h>

#include <memory>

#include "feedstore/RSSItem.h"
#include "platform/ComPtr.h"

struct IHTMLDocument2;

namespace corvane {

class CRichTextPage;

class WebPageControl {
  public:
    WebPageControl();
    ~WebPageControl();
    WebPageControl(const WebPageControl&) = delete;
    WebPageControl& operator=(const WebPageControl&) = delete;

    // Registers the window class on first use and creates the child window at 0,0 with size 0;
    // style 0 means WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN. Null on failure.
    HWND Create(HWND parent, const wchar_t* windowText, DWORD style = 0, DWORD exStyle = 0);
    // The hosted control's interface `riid`; E_FAIL when nothing is hosted.
    HRESULT QueryControl(REFIID riid, void** ppv);
    // Shows one message; a failure leaves the page as it was.
    void ShowItem(const RSSItem& item);
    // An empty page, for when no message is chosen.
    void ShowNothing();
    // Tab over the page's links (the rich-text page's; a hosted document walks its own): false when
    // none is left in that direction, where the focus moves on.
    bool SelectNextLink(bool backwards);
    // Enter on the page: opens the selected link; false when none is selected.
    bool OpenSelectedLink();
    // Destroys the window if there is one and forgets it.
    void Destroy();
    HWND Window() const { return window_; }

  private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void ReleaseDocument();

    HWND window_ = nullptr;
    ComPtr<IHTMLDocument2> document_;          // the hosted document, fetched by the first ShowItem
    std::unique_ptr<CRichTextPage> richPage_;  // the page where no HTML document could be created
};

}  // namespace corvane
