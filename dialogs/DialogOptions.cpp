#include "dialogs/DialogOptions.h"

#include <commctrl.h>

#include "platform/ModuleLock.h"
#include "platform/Trace.h"
#include "resources/ResourceIds.h"

namespace corvane {

INT_PTR CDialogOptions::DoModal(HWND owner) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    wchar_t caption[RESOURCE_TEXT_LENGTH] = {};
    LoadStringW(module::Instance(), IDS_OPTIONS_CAPTION, caption, RESOURCE_TEXT_LENGTH);
    PROPSHEETPAGEW pages[] = {general_.Describe(), display_.Describe()};
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = module::Instance();
    header.pszCaption = caption;
    header.nPages = ARRAYSIZE(pages);
    header.nStartPage = 0;
    header.ppsp = pages;
    const INT_PTR result = PropertySheetW(&header);
    if (general_.Applied() || display_.Applied()) sheet_.ok();
    return result;
}

// The sheet is modal but its loop still delivers the view's messages, so an update may hand its
// results to the feed object while the sheet is open. Both happen on this thread, one message at a
// time: the pages read the feed when shown and write the URL and the options (which an update never
// touches) only on OK, then store the whole object, the update's results included.
void ShowOptionsDialog(RSSObject& feed) {
    try {
        CDialogOptions sheet(feed);
        if (sheet.DoModal(GetActiveWindow()) < 0)
            traceError(u"ShowOptionsDialog failed", static_cast<uint32_t>(GetLastError()));
    } catch (...) {
        traceError(u"ShowOptionsDialog failed", static_cast<uint32_t>(E_UNEXPECTED));
    }
}

}  // namespace corvane
