#include "dialogs/DialogOptionsDisplay.h"

#include "dialogs/OptionPages.h"
#include "resources/ResourceIds.h"

namespace corvane {

using dialogs::OptionsDisplayPage;

CDialogOptionsDisplay::CDialogOptionsDisplay(RSSObject& feed)
    : CPropertyPage(IDD_OPTIONS_DISPLAY), feed_(feed) {}

void CDialogOptionsDisplay::OnInitDialog() {
    HWND window = Window();
    // Inserted at fixed positions, so the list's sorted style does not reorder them.
    for (int position = 0; position < 2; ++position)
        SendDlgItemMessageW(window, IDC_DATE_FORMAT, CB_INSERTSTRING, position,
                            reinterpret_cast<LPARAM>(OptionsDisplayPage::kDateFormats[position]));
    const OptionsDisplayPage page = OptionsDisplayPage::load(feed_);
    CheckRadioButton(window, IDC_SPLIT_HORIZONTAL, IDC_SPLIT_VERTICAL,
                     page.vertical ? IDC_SPLIT_VERTICAL : IDC_SPLIT_HORIZONTAL);
    SendDlgItemMessageW(window, IDC_DATE_FORMAT, CB_SETCURSEL, page.dateFormat, 0);
    CheckDlgButton(window, IDC_SHOW_TIME, page.showTime ? BST_CHECKED : BST_UNCHECKED);
}

void CDialogOptionsDisplay::OnApply() {
    HWND window = Window();
    OptionsDisplayPage page;
    page.vertical = IsDlgButtonChecked(window, IDC_SPLIT_VERTICAL) == BST_CHECKED;
    page.dateFormat = static_cast<int>(SendDlgItemMessageW(window, IDC_DATE_FORMAT, CB_GETCURSEL, 0, 0));
    page.showTime = IsDlgButtonChecked(window, IDC_SHOW_TIME) == BST_CHECKED;
    page.apply(feed_);
}

}  // namespace corvane
