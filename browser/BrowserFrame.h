#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the news window decides without a window: its title, which commands are its own and which go
// to the view, how the view is activated, and where the view goes in the frame.
namespace corvane::browser {

// The shell's command ranges: the view's menu items are its own ids, the browser's sit in a range
// of their own, and the shared popups carry the global ids.
constexpr uint32_t kViewCommandFirst = 0x0000;
constexpr uint32_t kViewCommandLast = 0x7FFF;
constexpr uint32_t kBrowserCommandFirst = 0xA000;
constexpr uint32_t kBrowserCommandLast = 0xBF00;

// The news window's own commands.
enum BrowserCommand : uint32_t {
    kCommandClose = kBrowserCommandFirst + 0x10,
    kCommandSelectAll,
    kCommandStatusBar,
    kCommandRefresh,
    kCommandAboutWindow,
};

enum class CommandOwner { View, Browser, Nobody };
CommandOwner commandOwner(uint32_t id);

// The view's activation states, as the shell numbers them.
enum class Activation : unsigned { Deactivate = 0, NoFocus = 1, Focus = 2 };
// With focus only while the window is the active one and the keyboard focus is inside the view.
Activation activationFor(bool windowActive, bool focusInView);

// The window title: the folder's own name, as the file manager titles a folder's window.
std::u16string windowTitle(std::u16string_view folderPath);

struct Area {
    int left = 0, top = 0, width = 0, height = 0;
};
// The view fills the client area above the status bar (when shown); never a negative size.
Area viewArea(int clientWidth, int clientHeight, int statusBarHeight, bool statusBarShown);

}  // namespace corvane::browser
