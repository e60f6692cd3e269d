#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileProbe.h"
#include "platform/Utf.h"

namespace corvane {
namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

FileProbe probeFile(std::u16string_view path) {
    std::string name = toUtf8(path);
    struct stat info;
    if (::stat(name.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileProbe::Missing : FileProbe::Unreadable;
    if (!S_ISREG(info.st_mode)) return FileProbe::Unreadable;
    Descriptor file(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return FileProbe::Unreadable;
    char byte;
    return ::read(file.get(), &byte, 1) < 0 ? FileProbe::Unreadable : FileProbe::Readable;
}

bool copyFileToNew(std::u16string_view from, std::u16string_view to) {
    Descriptor source(::open(toUtf8(from).c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0) return false;
    std::string target = toUtf8(to);
    Descriptor copy(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (copy.get() < 0) return false;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(source.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            ssize_t put = ::write(copy.get(), buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            ok = put > 0;
            done += put > 0 ? put : 0;
        }
        if (!ok) break;
    }
    ok = ok && ::fsync(copy.get()) == 0;
    // A half-made copy must not pose as the user's saved file.
    if (!ok) ::unlink(target.c_str());
    return ok;
}

}  // namespace corvane
