#include <windows.h>

#include <vector>

#include "platform/ProfileFile.h"
#include "platform/Win32Text.h"

namespace corvane {
namespace {

// The profile functions look for a bare or relative name in the Windows folder: give them the full path.
std::wstring fullPath(const std::u16string& path) {
    std::wstring name = toWide(path);
    DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (size == 0) return name;
    std::wstring full(size, L'\0');
    DWORD length = GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return name;
    full.resize(length);
    return full;
}

}  // namespace

std::u16string ProfileFile::readString(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view defaultValue) const {
    std::wstring file = fullPath(path_);
    std::wstring sectionName = toWide(section);
    std::wstring keyName = toWide(key);
    std::wstring fallback = toWide(defaultValue);
    // A value that fills the buffer may have been cut: try again with a larger one.
    for (DWORD size = 300;; size *= 4) {
        std::vector<wchar_t> buffer(size, L'\0');
        DWORD length = GetPrivateProfileStringW(sectionName.c_str(), keyName.c_str(), fallback.c_str(),
                                                buffer.data(), size, file.c_str());
        if (length + 1 < size || size >= 65536) return fromWide(std::wstring_view(buffer.data(), length));
    }
}

bool ProfileFile::writeString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view value) const {
    return WritePrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(), toWide(value).c_str(),
                                      fullPath(path_).c_str()) != FALSE;
}

}  // namespace corvane
