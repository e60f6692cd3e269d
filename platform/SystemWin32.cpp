#include <windows.h>

#include "platform/System.h"
#include "platform/Win32Text.h"

namespace corvane::system {

std::optional<std::u16string> environmentVariable(std::u16string_view name) {
    std::wstring key = toWide(name);
    DWORD size = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    DWORD length = GetEnvironmentVariableW(key.c_str(), value.data(), size);
    if (length == 0 || length >= size) return std::nullopt;
    value.resize(length);
    return fromWide(value);
}

void setEnvironmentVariable(std::u16string_view name, std::u16string_view value) {
    std::wstring text = toWide(value);
    SetEnvironmentVariableW(toWide(name).c_str(), value.empty() ? nullptr : text.c_str());
}

uint32_t currentThreadId() {
    return GetCurrentThreadId();
}

void writeDebugOutput(std::u16string_view line) {
    OutputDebugStringW(toWide(line).c_str());
}

bool appendToFile(std::u16string_view path, std::string_view bytes) {
    HANDLE file = CreateFileW(toWide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // FILE_APPEND_DATA alone makes every write go to the current end of the file.
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

}  // namespace corvane::system
