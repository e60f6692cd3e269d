#include <windows.h>
#include <shellapi.h>

#include "platform/OpenLink.h"
#include "platform/Win32Text.h"

namespace corvane {

bool openInBrowser(std::u16string_view url) {
    std::wstring target = toWide(url);
    auto result = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean the program was started.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace corvane
