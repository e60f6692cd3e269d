#pragma once

#include <string_view>

namespace corvane {

// Hands the URL to the user's browser (xdg-open natively, ShellExecuteW "open" on Windows), with no
// shell in between. The caller decides first which links may be opened. False when it could not
// be started.
bool openInBrowser(std::u16string_view url);

}  // namespace corvane
