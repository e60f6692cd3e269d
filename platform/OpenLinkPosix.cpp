#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "platform/OpenLink.h"
#include "platform/Utf.h"

extern char** environ;

namespace corvane {

bool openInBrowser(std::u16string_view url) {
    std::string target = toUtf8(url);
    char program[] = "xdg-open";
    char* arguments[] = {program, target.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program, nullptr, nullptr, arguments, environ) != 0) return false;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace corvane
