// A helper of the file-manager scene (tests/screens/file-manager.scene.sh): it waits for the news view
// inside another program's window, makes that window larger, chooses the first message with the
// keyboard as a person would, and says the scene is ready once the page shows it.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/screens/Screens.h"

namespace corvane::screens {
namespace {

// The first window of the class below `parent` at any depth; below the desktop, in any program.
HWND firstOfClass(HWND parent, const wchar_t* name) {
    struct Search {
        const wchar_t* name;
        HWND found;
    } search{name, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            if (_wcsicmp(className, s->name) != 0) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

LRESULT sendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

void selectFirstMessage() {
    HWND view = nullptr, list = nullptr, page = nullptr;
    for (int waited = 0; waited < 30000 && !(list && sendWithin(list, LVM_GETITEMCOUNT, 0, 0) > 0);
         waited += 100) {
        Sleep(100);
        view = firstOfClass(GetDesktopWindow(), L"KtCorvane");
        list = view ? firstOfClass(view, WC_LISTVIEWW) : nullptr;
    }
    if (!list) return;  // never ready: the photographer gives up after its own wait
    page = firstOfClass(view, L"RICHEDIT50W");
    // The file manager opens at 640 by 480, where the Title column alone fills the list.
    SetWindowPos(GetAncestor(view, GA_ROOT), nullptr, 0, 0, 960, 640, SWP_NOMOVE | SWP_NOZORDER);
    PostMessageW(list, WM_KEYDOWN, VK_HOME, 1);
    PostMessageW(list, WM_KEYUP, VK_HOME, 1 | (1u << 30) | (1u << 31));
    for (int waited = 0; waited < 5000 && page && sendWithin(page, WM_GETTEXTLENGTH, 0, 0) == 0;
         waited += 100)
        Sleep(100);
    Ready();
    RunMessageLoop();
}

const Registration select({L"file-manager-select",
                           L"chooses the first message of a news view shown elsewhere", &selectFirstMessage,
                           true});

}  // namespace
}  // namespace corvane::screens
