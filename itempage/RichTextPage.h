#pragma once
// Windows only: the message page as a read-only rich-edit control, for where no HTML document can
// be created. It fills its parent's client area and shows what renderItemRichText laid out.

#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string_view>

#include "itempage/RichText.h"

namespace corvane {

class CRichTextPage {
  public:
    // A page filling `parent`, which receives its notifications; null when no rich-edit control
    // can be created.
    static std::unique_ptr<CRichTextPage> Create(HWND parent);
    ~CRichTextPage();
    CRichTextPage(const CRichTextPage&) = delete;
    CRichTextPage& operator=(const CRichTextPage&) = delete;

    // Replaces the whole content, scrolled to the top.
    void Show(const RichText& page);
    // Fits the page to its parent's client area again.
    void Resize();
    // The control's EN_LINK: a click on a link opens it in the browser. The answer for the control.
    LRESULT OnLink(const ENLINK& link);
    // Tab and Shift+Tab: selects the next (previous) link and scrolls it into view; false past the
    // last (before the first), where the selection goes back to the top and the keyboard leaves.
    bool SelectNextLink(bool backwards);
    // Enter: opens the selected link as a click would; false when no link is selected.
    bool OpenSelectedLink();
    HWND Window() const { return window_; }

    // What opens a clicked link: the browser, or a test's recorder. Returns the one it replaces;
    // null puts the browser back.
    using LinkOpener = bool (*)(std::u16string_view url);
    static LinkOpener SetLinkOpener(LinkOpener opener);

  private:
    explicit CRichTextPage(HWND window);
    static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR data);

    HWND window_;
    RichText page_;
};

}  // namespace corvane
