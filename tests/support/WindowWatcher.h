#pragma once
// Windows only: drives a modal window from inside the call that shows it. A thread timer, which the
// window's own message loop dispatches, looks for the window by its caption and hands it to the test.

#include <windows.h>

#include <functional>
#include <string>

namespace corvane::testing {

class WindowWatcher {
  public:
    // `action` runs once, on the first visible top-level window of this thread captioned `caption`.
    WindowWatcher(std::wstring caption, std::function<void(HWND)> action)
        : caption_(std::move(caption)), action_(std::move(action)) {
        current() = this;
        timer_ = SetTimer(nullptr, 0, 20, &WindowWatcher::Tick);
    }
    ~WindowWatcher() {
        KillTimer(nullptr, timer_);
        current() = nullptr;
    }
    WindowWatcher(const WindowWatcher&) = delete;
    WindowWatcher& operator=(const WindowWatcher&) = delete;

    bool acted() const { return acted_; }

  private:
    static WindowWatcher*& current() {
        static WindowWatcher* watcher = nullptr;
        return watcher;
    }

    static BOOL CALLBACK Match(HWND window, LPARAM parameter) {
        auto* watcher = reinterpret_cast<WindowWatcher*>(parameter);
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (!IsWindowVisible(window) || watcher->caption_ != text) return TRUE;
        watcher->found_ = window;
        return FALSE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WindowWatcher* watcher = current();
        if (!watcher) return;
        ++watcher->ticks_;
        if (!watcher->acted_) {
            watcher->found_ = nullptr;
            EnumThreadWindows(GetCurrentThreadId(), &WindowWatcher::Match, reinterpret_cast<LPARAM>(watcher));
            if (!watcher->found_) return;
            watcher->acted_ = true;
            watcher->ticks_ = 0;
            watcher->action_(watcher->found_);
        } else if (watcher->ticks_ > 250 && IsWindow(watcher->found_)) {
            // The action left the window open: close it rather than hang the test.
            PostMessageW(watcher->found_, WM_CLOSE, 0, 0);
        }
    }

    std::wstring caption_;
    std::function<void(HWND)> action_;
    UINT_PTR timer_ = 0;
    HWND found_ = nullptr;
    bool acted_ = false;
    int ticks_ = 0;
};

}  // namespace corvane::testing
