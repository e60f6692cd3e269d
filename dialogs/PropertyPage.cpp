#include "dialogs/PropertyPage.h"

#include "platform/ComCall.h"
#include "platform/ModuleLock.h"

namespace corvane {

PROPSHEETPAGEW CPropertyPage::Describe() {
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof(page);
    page.hInstance = module::Instance();
    page.pszTemplate = MAKEINTRESOURCEW(templateId_);
    page.pfnDlgProc = &CPropertyPage::DialogProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    auto* page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(window, DWLP_USER));
    return windowCall(
        u"CPropertyPage::DialogProc", message,
        [&]() -> INT_PTR {
            switch (message) {
                case WM_INITDIALOG: {
                    // The sheet passes its copy of the page description; ours is in its lParam.
                    page =
                        reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
                    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
                    page->window_ = window;
                    page->OnInitDialog();
                    return TRUE;
                }
                case WM_NOTIFY:
                    if (!page || reinterpret_cast<NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
                    page->OnApply();
                    page->applied_ = true;
                    // Apply always succeeds: a settings file that could not be written was traced.
                    SetWindowLongPtrW(window, DWLP_MSGRESULT, PSNRET_NOERROR);
                    return TRUE;
                case WM_DESTROY:
                    if (page) page->window_ = nullptr;
                    return FALSE;
                default:
                    return FALSE;
            }
        },
        [] { return INT_PTR{FALSE}; });
}

}  // namespace corvane
