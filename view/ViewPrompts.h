#pragma once
// Windows only: what the news view shows modally or hands to other programs. The product uses the
// real dialogs, message boxes and browser; tests replace them to answer without a person.

#include <windows.h>

#include <string>

#include "feedstore/RSSObject.h"

namespace corvane {

struct ViewPrompts {
    void (*showOptions)(RSSObject& feed);
    void (*showAbout)();
    int (*messageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    bool (*openLink)(std::u16string_view url);
    // Shows a context menu at the point and returns the chosen command, 0 for none.
    UINT (*trackMenu)(HMENU menu, HWND owner, POINT at);
};

// The prompts every news view uses from now on; null members fall back to the real ones.
void SetViewPrompts(const ViewPrompts& prompts);
const ViewPrompts& CurrentViewPrompts();

}  // namespace corvane
