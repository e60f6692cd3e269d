#pragma once
// Windows only: the modal Options sheet of one news folder.

#include "feedstore/RSSObject.h"

namespace corvane {

// Shows the General and Display pages for `feed`, owned by the active window; OK applies every page
// that was opened (General first) and stores the settings, Cancel applies none.
void ShowOptionsDialog(RSSObject& feed);

}  // namespace corvane
