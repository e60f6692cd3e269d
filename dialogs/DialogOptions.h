#pragma once
// Windows only: the Options sheet of one news folder, General then Display, OK and Cancel.

#include <windows.h>

#include "dialogs/DialogOptionsDisplay.h"
#include "dialogs/DialogOptionsGeneral.h"
#include "feedstore/RSSObject.h"

namespace corvane {

// Shows the General and Display pages for `feed`, owned by the active window; OK applies every page
// that was opened (General first) and stores the settings, Cancel applies none.
void ShowOptionsDialog(RSSObject& feed);

// Built for one showing. The sheet creates a page when its tab is first shown; on OK each page hands
// its controls to the portable sheet, which then applies every page made (the command's own rule);
// Cancel and the close box apply none.
class CDialogOptions {
  public:
    explicit CDialogOptions(RSSObject& feed) : sheet_(feed), general_(sheet_), display_(sheet_) {}

    // Runs the sheet modally; its result (-1 when it could not be shown).
    INT_PTR DoModal(HWND owner);

  private:
    dialogs::OptionsSheet sheet_;
    CDialogOptionsGeneral general_;
    CDialogOptionsDisplay display_;
};

}  // namespace corvane
