#include "dialogs/DialogOptionsGeneral.h"

#include "dialogs/OptionPages.h"
#include "platform/Win32Text.h"
#include "resources/ResourceIds.h"

namespace corvane {

using dialogs::OptionsGeneralPage;

CDialogOptionsGeneral::CDialogOptionsGeneral(dialogs::OptionsSheet& sheet)
    : CPropertyPage(IDD_OPTIONS_GENERAL), sheet_(sheet) {}

void CDialogOptionsGeneral::OnInitDialog() {
    const OptionsGeneralPage& page = sheet_.general();
    HWND window = Window();
    // Typing stops where the stored URL would be cut.
    SendDlgItemMessageW(window, IDC_FEED_URL, EM_SETLIMITTEXT, OptionsGeneralPage::kUrlMaxLength, 0);
    SetDlgItemTextW(window, IDC_FEED_URL, toWide(page.url).c_str());
    CheckDlgButton(window, IDC_OPEN_ON_DOUBLE_CLICK, page.openOnDoubleClick ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, IDC_REMEMBER_POSITION, page.rememberPosition ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, IDC_DONT_SHOW_DELETE_CONFIRM,
                   page.dontShowDeleteConfirm ? BST_CHECKED : BST_UNCHECKED);
}

void CDialogOptionsGeneral::OnApply() {
    HWND window = Window();
    OptionsGeneralPage& page = sheet_.general();
    wchar_t url[OptionsGeneralPage::kUrlMaxLength + 1] = {};
    GetDlgItemTextW(window, IDC_FEED_URL, url, OptionsGeneralPage::kUrlMaxLength + 1);
    page.url = fromWide(url);
    page.openOnDoubleClick = IsDlgButtonChecked(window, IDC_OPEN_ON_DOUBLE_CLICK) == BST_CHECKED;
    page.rememberPosition = IsDlgButtonChecked(window, IDC_REMEMBER_POSITION) == BST_CHECKED;
    page.dontShowDeleteConfirm = IsDlgButtonChecked(window, IDC_DONT_SHOW_DELETE_CONFIRM) == BST_CHECKED;
}

}  // namespace corvane
