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

// Built for one showing. The sheet creates a page when its tab is first shown and on OK applies every
// page it created, in tab order; Cancel and the close box apply none.
class CDialogOptions {
  public:
    explicit CDialogOptions(RSSObject& feed) : general_(feed), display_(feed) {}

    // Runs the sheet modally; its result (-1 when it could not be shown).
    INT_PTR DoModal(HWND owner);

  private:
    CDialogOptionsGeneral general_;
    CDialogOptionsDisplay display_;
};

}  // namespace corvane
