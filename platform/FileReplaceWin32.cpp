#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <utility>

#include "platform/FileReplace.h"
#include "platform/WideFormat.h"
#include "platform/Win32Text.h"

namespace corvane {
namespace {

std::u16string systemMessage(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string message =
        length && buffer ? fromWide(std::wstring_view(buffer, length)) : std::u16string();
    LocalFree(buffer);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' '))
        message.pop_back();
    if (message.empty()) message = formatWide(u"error %u", static_cast<uint32_t>(error));
    return message;
}

FileReplaceResult failure(DWORD error, std::u16string_view what, std::u16string_view path) {
    return {static_cast<Status>(HRESULT_FROM_WIN32(error)),
            formatWide(u"%s %s: %s", what, path, systemMessage(error))};
}

std::atomic<unsigned> temporaryCounter{0};

BOOL timedFlush(HANDLE file) {
    if (!detail::flushTimeSpent) return FlushFileBuffers(file);
    const auto start = std::chrono::steady_clock::now();
    const BOOL result = FlushFileBuffers(file);
    *detail::flushTimeSpent += std::chrono::steady_clock::now() - start;
    return result;
}

}  // namespace

namespace {

FileStamp stampOfInfo(const BY_HANDLE_FILE_INFORMATION& info) {
    auto wide = [](DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; };
    return {
        true, info.dwVolumeSerialNumber, wide(info.nFileIndexHigh, info.nFileIndexLow),
        wide(info.nFileSizeHigh, info.nFileSizeLow),
        static_cast<int64_t>(wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime))};
}

bool writeAllAt(HANDLE file, uint64_t offset, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, &at)) return false;
        done += written;
    }
    return true;
}

bool writeAll(HANDLE file, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
        done += written;
    }
    return true;
}

// The steps every replace shares: a temporary file beside the target, filled by `fill` (false and
// the thread's last error on failure), flushed, and moved over the target.
template <typename Fill>
FileReplaceResult replaceWith(std::u16string_view path, Fill fill) {
    const FileReplaceStage injected =
        std::exchange(detail::injectedFileReplaceFailure, FileReplaceStage::None);
    const std::wstring target = toWide(path);

    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(temporaryCounter++) + L".tmp";
        if (injected == FileReplaceStage::Create) {
            error = ERROR_ACCESS_DENIED;
            break;
        }
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) return failure(error, u"Cannot create a temporary file beside", path);

    auto abandon = [&](DWORD reason, std::u16string_view what) {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        DeleteFileW(temporary.c_str());
        return failure(reason, what, path);
    };

    if (!fill(file, target, injected == FileReplaceStage::Write))
        return abandon(GetLastError(), u"Cannot write");
    if (injected == FileReplaceStage::Write) return abandon(ERROR_DISK_FULL, u"Cannot write");
    if (injected == FileReplaceStage::Flush) return abandon(ERROR_WRITE_FAULT, u"Cannot flush to disk");
    if (!timedFlush(file)) return abandon(GetLastError(), u"Cannot flush to disk");
    const BOOL closed = CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    if (!closed) return abandon(GetLastError(), u"Cannot write");
    if (injected == FileReplaceStage::Replace) return abandon(ERROR_ACCESS_DENIED, u"Cannot replace");
    // A reader that opened the file without sharing its deletion (another process loading it)
    // holds the replace off only for as long as it reads.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (
        !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD reason = GetLastError();
        if ((reason != ERROR_SHARING_VIOLATION && reason != ERROR_ACCESS_DENIED) ||
            std::chrono::steady_clock::now() > deadline)
            return abandon(reason, u"Cannot replace");
        Sleep(10);
    }
    return {};
}

}  // namespace

FileReplaceResult replaceFileAtomically(std::u16string_view path, std::string_view bytes) {
    return replaceWith(path, [bytes](HANDLE file, const std::wstring&, bool half) {
        return writeAll(file, half ? bytes.substr(0, bytes.size() / 2) : bytes);
    });
}

FileReplaceResult replaceFileAtomically(std::u16string_view path,
                                        const std::function<bool(const FilePieceSink&)>& produce) {
    return replaceWith(path, [&](HANDLE file, const std::wstring&, bool half) {
        // An injected failure writes half of the first piece and stops there.
        bool written = true;
        const FilePieceSink sink = [&](std::string_view piece) {
            if (half) {
                writeAll(file, piece.substr(0, piece.size() / 2));
                return false;
            }
            written = writeAll(file, piece);
            return written;
        };
        try {
            const bool made = produce(sink);
            if (half) return true;
            if (made) return true;
            if (written) SetLastError(ERROR_WRITE_FAULT);  // the producer failed, not the disk
            return false;
        } catch (const std::exception&) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
    });
}

FileReplaceResult replaceFileEndAtomically(std::u16string_view path, const FileStamp& expected, uint64_t keep,
                                           std::string_view tail) {
    return replaceWith(path, [&](HANDLE file, const std::wstring& target, bool half) {
        HANDLE source =
            CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (source == INVALID_HANDLE_VALUE) return false;
        BY_HANDLE_FILE_INFORMATION info{};
        bool copied = GetFileInformationByHandle(source, &info);
        const FileStamp found = stampOfInfo(info);
        if (copied && (found != expected || keep > found.size)) {
            SetLastError(ERROR_FILE_INVALID);  // another writer replaced it since it was looked at
            copied = false;
        }
        std::string buffer(copied ? std::min<uint64_t>(keep, 1u << 20) : 0, '\0');
        uint64_t left = half ? keep / 2 : keep;
        while (copied && left > 0) {
            DWORD count = 0;
            if (!ReadFile(source, buffer.data(), static_cast<DWORD>(std::min<uint64_t>(left, buffer.size())),
                          &count, nullptr) ||
                count == 0) {
                if (count == 0) SetLastError(ERROR_HANDLE_EOF);
                copied = false;
                break;
            }
            copied = writeAll(file, std::string_view(buffer.data(), count));
            left -= count;
        }
        const DWORD error = GetLastError();
        CloseHandle(source);
        SetLastError(error);
        return copied && !half && writeAll(file, tail);
    });
}

FileReplaceResult patchFileInPlace(std::u16string_view path, const FileStamp& expected,
                                   const std::vector<std::vector<FilePatch>>& steps, FilePatchFlush flush) {
    int64_t left = std::exchange(detail::patchBytesBeforeKill, -1);
    const std::wstring target = toWide(path);
    // Readers may keep it open meanwhile: every state it passes through is a whole store.
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return failure(GetLastError(), u"Cannot open", path);
    auto fail = [&](DWORD error, std::u16string_view what) {
        CloseHandle(file);
        return failure(error, what, path);
    };
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return fail(GetLastError(), u"Cannot open");
    if (stampOfInfo(info) != expected) return fail(ERROR_FILE_INVALID, u"Cannot write in place");
    for (const std::vector<FilePatch>& step : steps) {
        for (const FilePatch& patch : step) {
            bool killed = false;
            const std::string_view bytes = bytesBeforeKill(patch, left, killed);
            if (!writeAllAt(file, patch.offset, bytes)) return fail(GetLastError(), u"Cannot write");
            if (killed) return fail(ERROR_OPERATION_ABORTED, u"Cannot write");
        }
        if (flush == FilePatchFlush::EachStep && !timedFlush(file))
            return fail(GetLastError(), u"Cannot flush to disk");
    }
    if (!CloseHandle(file)) return failure(GetLastError(), u"Cannot write", path);
    return {};
}

}  // namespace corvane
