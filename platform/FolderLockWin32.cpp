#include <windows.h>

#include <algorithm>
#include <thread>

#include "platform/FolderLock.h"
#include "platform/Win32Text.h"

namespace corvane {

FileStamp stampOf(std::u16string_view path) {
    HANDLE file = CreateFileW(toWide(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known) return {};
    auto wide = [](DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; };
    return {
        true, info.dwVolumeSerialNumber, wide(info.nFileIndexHigh, info.nFileIndexLow),
        wide(info.nFileSizeHigh, info.nFileSizeLow),
        static_cast<int64_t>(wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime))};
}

bool readWholeFile(std::u16string_view path, std::string& bytes) {
    HANDLE file = CreateFileW(toWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool read = GetFileSizeEx(file, &size) && size.QuadPart >= 0;
    if (read) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (read) {
            if (done == bytes.size()) bytes.resize(done + 65536);  // grown since the size was taken
            DWORD count = 0;
            const DWORD wanted = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
            read = ReadFile(file, bytes.data() + done, wanted, &count, nullptr);
            if (!read || count == 0) break;
            done += count;
        }
        bytes.resize(done);
    }
    CloseHandle(file);
    return read;
}

bool readFilePart(std::u16string_view path, uint64_t offset, size_t size, std::string& bytes) {
    HANDLE file = CreateFileW(toWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.resize(size);
    size_t done = 0;
    bool read = true;
    while (done < size) {
        OVERLAPPED at{};
        const uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD count = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        if (!ReadFile(file, bytes.data() + done, wanted, &count, &at)) {
            read = GetLastError() == ERROR_HANDLE_EOF;
            break;
        }
        if (count == 0) break;
        done += count;
    }
    bytes.resize(done);
    CloseHandle(file);
    return read;
}

FolderLock::FolderLock(std::u16string_view lockPath, std::chrono::milliseconds patience) {
    HANDLE file = CreateFileW(toWide(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    handle_ = reinterpret_cast<intptr_t>(file);
    // A byte range lock: held per handle, and the system drops it with the handle when the process
    // ends, however it ends.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        OVERLAPPED at{};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            held_ = true;
            return;
        }
        if (GetLastError() != ERROR_LOCK_VIOLATION && GetLastError() != ERROR_IO_PENDING) return;
        if (std::chrono::steady_clock::now() >= deadline) return;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20'000));
    }
}

FolderLock::~FolderLock() {
    if (handle_ == -1) return;
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    if (held_) {
        OVERLAPPED at{};
        UnlockFileEx(file, 0, 1, 0, &at);
    }
    CloseHandle(file);
}

}  // namespace corvane
