#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
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

int timedFsync(int fd) {
    if (!detail::flushTimeSpent) return ::fsync(fd);
    const auto start = std::chrono::steady_clock::now();
    const int result = ::fsync(fd);
    *detail::flushTimeSpent += std::chrono::steady_clock::now() - start;
    return result;
}

}  // namespace

FileReplaceResult replaceFileAtomically(std::u16string_view path, std::string_view bytes) {
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
    size_t done = 0;
    const size_t stop = injected == FileReplaceStage::Write ? bytes.size() / 2 : bytes.size();
    while (done < stop) {
        const ssize_t written = ::write(fd, bytes.data() + done, stop - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return abandon(errno, u"Cannot write");
        }
        done += static_cast<size_t>(written);
    }
    if (injected == FileReplaceStage::Write) return abandon(ENOSPC, u"Cannot write");
    if (injected == FileReplaceStage::Flush) return abandon(EIO, u"Cannot flush to disk");
    if (timedFsync(fd) != 0) return abandon(errno, u"Cannot flush to disk");
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return abandon(errno, u"Cannot write");
    if (injected == FileReplaceStage::Replace) return abandon(EACCES, u"Cannot replace");
    if (::rename(temporary.c_str(), target.c_str()) != 0) return abandon(errno, u"Cannot replace");

    // The rename itself reaches the disk with the folder. The file is replaced by now, so a folder
    // that cannot be flushed is no failure of the save.
    int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        timedFsync(folder);
        ::close(folder);
    }
    return {};
}

}  // namespace corvane
