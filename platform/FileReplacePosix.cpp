#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/FileReplace.h"
#include "platform/Utf.h"
#include "platform/WideFormat.h"

namespace corvane {
namespace {

// The Windows codes for the failures a save meets, so both builds report alike.
Status statusOf(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return static_cast<Status>(0x80070005u);  // E_ACCESSDENIED
        case ENOENT:
        case ENOTDIR:
            return static_cast<Status>(0x80070003u);  // ERROR_PATH_NOT_FOUND
        case ENOSPC:
        case EDQUOT:
            return static_cast<Status>(0x80070070u);  // ERROR_DISK_FULL
        default:
            return kStatusFail;
    }
}

FileReplaceResult failure(int error, std::u16string_view what, const std::string& path) {
    return {statusOf(error), formatWide(u"%s %s: %s", what, path, std::strerror(error))};
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::atomic<unsigned> temporaryCounter{0};

// A replaced file at least this big is let go on a thread of its own (closeInBackground).
constexpr off_t kBigFile = 1 << 20;

// The last close of a replaced file frees its blocks and its cached pages: about 10 ms for 20 MB,
// which the rename spent when it dropped the file's last name. Held open across the rename, the
// file is freed by this thread while the writer goes on; the process's end waits for the close.
void closeInBackground(int fd) {
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::system_error&) {
        ::close(fd);
    }
}

template <typename Flush>
int timed(Flush flush, int fd) {
    if (!detail::flushTimeSpent) return flush(fd);
    const auto start = std::chrono::steady_clock::now();
    const int result = flush(fd);
    *detail::flushTimeSpent += std::chrono::steady_clock::now() - start;
    return result;
}

int timedFsync(int fd) {
    return timed(::fsync, fd);
}

FileStamp stampOfInfo(const struct stat& info) {
    return {true, static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
            static_cast<uint64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

}  // namespace

namespace {

bool writeAllAt(int fd, uint64_t offset, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

bool writeAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Where the system cannot copy between the two files itself: one chunk through a buffer.
ssize_t copyByReading(int from, int to, uint64_t most) {
    static thread_local std::string buffer(1 << 20, '\0');
    ssize_t count;
    do {
        count = ::read(from, buffer.data(), static_cast<size_t>(std::min<uint64_t>(most, buffer.size())));
    } while (count < 0 && errno == EINTR);
    if (count > 0 && !writeAll(to, std::string_view(buffer.data(), static_cast<size_t>(count)))) return -1;
    return count;
}

// The steps every replace shares: a temporary file beside the target, filled by `fill` (false and
// errno on failure), flushed, and renamed over the target.
template <typename Fill>
FileReplaceResult replaceWith(std::u16string_view path, Fill fill) {
    const FileReplaceStage injected =
        std::exchange(detail::injectedFileReplaceFailure, FileReplaceStage::None);
    const std::string target = toUtf8(path);

    // The new file keeps the permissions of the one it replaces.
    struct stat original {};
    const mode_t mode = ::stat(target.c_str(), &original) == 0 ? (original.st_mode & 07777) : 0644;

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary =
            target + "." + std::to_string(::getpid()) + "-" + std::to_string(temporaryCounter++) + ".tmp";
        if (injected == FileReplaceStage::Create) {
            errno = EACCES;
            break;
        }
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return failure(errno, u"Cannot create a temporary file beside", target);

    auto abandon = [&](int error, std::u16string_view what) {
        if (fd >= 0) ::close(fd);
        ::unlink(temporary.c_str());
        return failure(error, what, target);
    };

    if (::fchmod(fd, mode) != 0) return abandon(errno, u"Cannot set the permissions of the new");
    if (!fill(fd, target, injected == FileReplaceStage::Write)) return abandon(errno, u"Cannot write");
    if (injected == FileReplaceStage::Write) return abandon(ENOSPC, u"Cannot write");
    if (injected == FileReplaceStage::Flush) return abandon(EIO, u"Cannot flush to disk");
    if (timedFsync(fd) != 0) return abandon(errno, u"Cannot flush to disk");
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return abandon(errno, u"Cannot write");
    if (injected == FileReplaceStage::Replace) return abandon(EACCES, u"Cannot replace");
    const int replaced =
        original.st_size >= kBigFile ? ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW) : -1;
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        if (replaced >= 0) ::close(replaced);
        return abandon(error, u"Cannot replace");
    }

    // The rename itself reaches the disk with the folder. The file is replaced by now, so a folder
    // that cannot be flushed is no failure of the save.
    int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        timedFsync(folder);
        ::close(folder);
    }
    // After the folder's flush, which would otherwise wait for the freeing to reach the journal.
    if (replaced >= 0) closeInBackground(replaced);
    return {};
}

}  // namespace

FileReplaceResult replaceFileAtomically(std::u16string_view path, std::string_view bytes) {
    return replaceWith(path, [bytes](int fd, const std::string&, bool half) {
        return writeAll(fd, half ? bytes.substr(0, bytes.size() / 2) : bytes);
    });
}

FileReplaceResult replaceFileAtomically(std::u16string_view path,
                                        const std::function<bool(const FilePieceSink&)>& produce) {
    return replaceWith(path, [&](int fd, const std::string&, bool half) {
        // An injected failure writes half of the first piece and stops there.
        bool written = true;
        const FilePieceSink sink = [&](std::string_view piece) {
            if (half) {
                writeAll(fd, piece.substr(0, piece.size() / 2));
                return false;
            }
            written = writeAll(fd, piece);
            return written;
        };
        try {
            const bool made = produce(sink);
            if (half) return true;
            if (made) return true;
            if (written) errno = EIO;  // the producer failed, not the disk
            return false;
        } catch (const std::exception&) {
            errno = ENOMEM;
            return false;
        }
    });
}

FileReplaceResult replaceFileEndAtomically(std::u16string_view path, const FileStamp& expected, uint64_t keep,
                                           std::string_view tail) {
    return replaceWith(path, [&](int fd, const std::string& target, bool half) {
        const int source = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
        if (source < 0) return false;
        struct stat info {};
        bool copied = ::fstat(source, &info) == 0;
        const FileStamp found = stampOfInfo(info);
        if (copied && (found != expected || keep > found.size)) {
            errno = ESTALE;  // another writer replaced it since it was looked at
            copied = false;
        }
        // The kernel copies the kept bytes: they never pass through this process.
        uint64_t left = half ? keep / 2 : keep;
        while (copied && left > 0) {
            ssize_t count = ::copy_file_range(source, nullptr, fd, nullptr, left, 0);
            if (count < 0 && errno == EINTR) continue;
            if (count < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
                count = copyByReading(source, fd, left);
            if (count <= 0) {
                if (count == 0) errno = EIO;  // the file ended before the bytes to keep
                copied = false;
                break;
            }
            left -= static_cast<uint64_t>(count);
        }
        const int error = errno;
        ::close(source);
        errno = error;
        return copied && !half && writeAll(fd, tail);
    });
}

FileReplaceResult patchFileInPlace(std::u16string_view path, const FileStamp& expected,
                                   const std::vector<std::vector<FilePatch>>& steps, FilePatchFlush flush) {
    int64_t left = std::exchange(detail::patchBytesBeforeKill, -1);
    const std::string target = toUtf8(path);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return failure(errno, u"Cannot open", target);
    auto fail = [&](int error, std::u16string_view what) {
        ::close(fd);
        return failure(error, what, target);
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0) return fail(errno, u"Cannot open");
    if (stampOfInfo(info) != expected) return fail(ESTALE, u"Cannot write in place");
    for (const std::vector<FilePatch>& step : steps) {
        for (const FilePatch& patch : step) {
            bool killed = false;
            const std::string_view bytes = bytesBeforeKill(patch, left, killed);
            if (!writeAllAt(fd, patch.offset, bytes)) return fail(errno, u"Cannot write");
            if (killed) return fail(EINTR, u"Cannot write");
        }
        // Only the data and the size: the time of change need not reach the disk first.
        if (flush == FilePatchFlush::EachStep && timed(::fdatasync, fd) != 0)
            return fail(errno, u"Cannot flush to disk");
    }
    if (::close(fd) != 0) return failure(errno, u"Cannot write", target);
    return {};
}

}  // namespace corvane
