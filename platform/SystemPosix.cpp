#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/System.h"
#include "platform/Utf.h"

namespace corvane::system {

std::optional<std::u16string> environmentVariable(std::u16string_view name) {
    const char* value = std::getenv(toUtf8(name).c_str());
    if (!value) return std::nullopt;
    return fromUtf8(value);
}

void setEnvironmentVariable(std::u16string_view name, std::u16string_view value) {
    if (value.empty())
        ::unsetenv(toUtf8(name).c_str());
    else
        ::setenv(toUtf8(name).c_str(), toUtf8(value).c_str(), 1);
}

uint32_t currentThreadId() {
    return static_cast<uint32_t>(::syscall(SYS_gettid));
}

void writeDebugOutput(std::u16string_view) {}

bool appendToFile(std::u16string_view path, std::string_view bytes) {
    int fd = ::open(toUtf8(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    // O_APPEND makes each write land whole at the end, even with other processes writing.
    bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    return written;
}

}  // namespace corvane::system
