#pragma once
// Windows only: the news view of a folder in a frame of a scene's own, hosted by the tests' browser.

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace corvane::screens {

struct HostedView {
    HWND frame = nullptr;
    HWND viewWindow = nullptr;
    IShellView* view = nullptr;  // lives as long as the process
};

// Shows the frame (`width` x `height`) with the view of the news folder at `path` filling it, active
// with the keyboard and its menu merged into the frame's. The frame tells the photographer the scene
// is drawn when a timer the scene sets on it fires.
HostedView ShowHostedView(const std::wstring& path, int width, int height);

}  // namespace corvane::screens
