#pragma once
// Windows only: finds the windows a test drives. Tests running beside each other share Wine's
// desktop, so a top-level window is looked for among one process's windows only.
#include <windows.h>

#include <functional>
#include <string>

namespace corvane::testing {

inline std::wstring classOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The first visible top-level window of process `processId` that `accept` takes (any without it).
inline HWND visibleTopWindow(DWORD processId, const std::function<bool(HWND)>& accept = {}) {
    struct Search {
        DWORD processId;
        const std::function<bool(HWND)>* accept;
        HWND found;
    } search{processId, &accept, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
            if (*s->accept && !(*s->accept)(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first window of class `name` (case ignored) below `parent`, at any depth.
inline HWND descendantOfClass(HWND parent, const std::wstring& name) {
    struct Search {
        const std::wstring* name;
        HWND found;
    } search{&name, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            if (_wcsicmp(classOf(window).c_str(), s->name->c_str()) != 0) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace corvane::testing
