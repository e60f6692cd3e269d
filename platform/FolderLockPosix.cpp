#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/FolderLock.h"
#include "platform/Utf.h"

namespace corvane {

FileStamp stampOf(std::u16string_view path) {
    struct stat info {};
    if (::stat(toUtf8(path).c_str(), &info) != 0) return {};
    return {true, static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
            static_cast<uint64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool readWholeFile(std::u16string_view path, std::string& bytes) {
    const int fd = ::open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool read = ::fstat(fd, &info) == 0;
    if (read) {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (read) {
            if (done == bytes.size()) bytes.resize(done + 65536);  // grown since the stat
            const ssize_t count = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) {
                read = count == 0;
                break;
            }
            done += static_cast<size_t>(count);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return read;
}

bool readFilePart(std::u16string_view path, uint64_t offset, size_t size, std::string& bytes) {
    const int fd = ::open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes.resize(size);
    size_t done = 0;
    bool read = true;
    while (done < size) {
        const ssize_t count =
            ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            read = count == 0;
            break;
        }
        done += static_cast<size_t>(count);
    }
    bytes.resize(done);
    ::close(fd);
    return read;
}

FolderLock::FolderLock(std::u16string_view lockPath, std::chrono::milliseconds patience) {
    const int fd = ::open(toUtf8(lockPath).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    handle_ = fd;
    // flock, not fcntl: its lock belongs to this open, so two holders in one process exclude each
    // other, and closing another descriptor of the file elsewhere in the process keeps it.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) return;
        if (std::chrono::steady_clock::now() >= deadline) return;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20'000));
    }
}

FolderLock::~FolderLock() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));  // releases the lock
}

}  // namespace corvane
