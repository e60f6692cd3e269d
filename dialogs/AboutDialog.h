#pragma once
// Windows only: the modal About box, owned by the active window.

namespace corvane {

void ShowAboutDialog();

}  // namespace corvane
