#pragma once
// Windows only: the core's UTF-16 text as the wchar_t text of Win32 calls (the same 16-bit units).

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

namespace corvane {

inline std::wstring toWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string fromWide(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

inline std::u16string fromWide(const wchar_t* text) {
    return text ? fromWide(std::wstring_view(text)) : std::u16string();
}

}  // namespace corvane
