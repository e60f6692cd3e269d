#include "view/ViewPrompts.h"

#include "dialogs/DialogAbout.h"
#include "dialogs/DialogOptions.h"
#include "platform/OpenLink.h"

namespace corvane {
namespace {

UINT trackPopupMenu(HMENU menu, HWND owner, POINT at) {
    return static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
}

const ViewPrompts kReal{&ShowOptionsDialog, &ShowAboutDialog, &MessageBoxW, &openInBrowser, &trackPopupMenu};
ViewPrompts current = kReal;

}  // namespace

void SetViewPrompts(const ViewPrompts& prompts) {
    current.showOptions = prompts.showOptions ? prompts.showOptions : kReal.showOptions;
    current.showAbout = prompts.showAbout ? prompts.showAbout : kReal.showAbout;
    current.messageBox = prompts.messageBox ? prompts.messageBox : kReal.messageBox;
    current.openLink = prompts.openLink ? prompts.openLink : kReal.openLink;
    current.trackMenu = prompts.trackMenu ? prompts.trackMenu : kReal.trackMenu;
}

const ViewPrompts& CurrentViewPrompts() {
    return current;
}

}  // namespace corvane
