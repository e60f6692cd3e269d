#include <windows.h>

#include "platform/FileProbe.h"
#include "platform/Win32Text.h"

namespace corvane {

FileProbe probeFile(std::u16string_view path) {
    std::wstring name = toWide(path);
    DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileProbe::Missing
                                                                              : FileProbe::Unreadable;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileProbe::Unreadable;
    HANDLE file =
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FileProbe::Unreadable;
    CloseHandle(file);
    return FileProbe::Readable;
}

bool copyFileToNew(std::u16string_view from, std::u16string_view to) {
    std::wstring target = toWide(to);
    if (!CopyFileW(toWide(from).c_str(), target.c_str(), TRUE)) return false;
    HANDLE copy =
        CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool flushed = copy != INVALID_HANDLE_VALUE && FlushFileBuffers(copy);
    if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
    if (!flushed) DeleteFileW(target.c_str());
    return flushed;
}

}  // namespace corvane
