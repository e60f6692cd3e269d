#include "dialogs/DialogOptionsDisplay.h"

#include "dialogs/OptionPages.h"
#include "resources/ResourceIds.h"

namespace corvane {

using dialogs::OptionsDisplayPage;

CDialogOptionsDisplay::CDialogOptionsDisplay(dialogs::OptionsSheet& sheet)
    : CPropertyPage(IDD_OPTIONS_DISPLAY), sheet_(sheet) {}

void CDialogOptionsDisplay::OnInitDialog() {
    HWND window = Window();
    // Inserted at fixed positions, so the list's sorted style does not reorder them.
    for (int position = 0; position < 2; ++position)
        SendDlgItemMessageW(window, IDC_DATE_FORMAT, CB_INSERTSTRING, position,
                            reinterpret_cast<LPARAM>(OptionsDisplayPage::kDateFormats[position]));
    const OptionsDisplayPage& page = sheet_.display();
    CheckRadioButton(window, IDC_SPLIT_HORIZONTAL, IDC_SPLIT_VERTICAL,
                     page.vertical ? IDC_SPLIT_VERTICAL : IDC_SPLIT_HORIZONTAL);
    SendDlgItemMessageW(window, IDC_DATE_FORMAT, CB_SETCURSEL, page.dateFormat, 0);
    CheckDlgButton(window, IDC_SHOW_TIME, page.showTime ? BST_CHECKED : BST_UNCHECKED);
}

void CDialogOptionsDisplay::OnApply() {
    HWND window = Window();
    OptionsDisplayPage& page = sheet_.display();
    page.vertical = IsDlgButtonChecked(window, IDC_SPLIT_VERTICAL) == BST_CHECKED;
    page.dateFormat = static_cast<int>(SendDlgItemMessageW(window, IDC_DATE_FORMAT, CB_GETCURSEL, 0, 0));
    page.showTime = IsDlgButtonChecked(window, IDC_SHOW_TIME) == BST_CHECKED;
}

}  // namespace corvane
