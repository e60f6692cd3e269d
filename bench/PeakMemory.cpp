#include "PeakMemory.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace corvane::bench {
namespace {

// A "VmRSS:   1234 kB" line of /proc/self/status, in bytes.
size_t statusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) != 0) continue;
        std::istringstream fields(line.substr(field.size() + 1));
        size_t kilobytes = 0;
        fields >> kilobytes;
        return kilobytes * 1024;
    }
    throw std::runtime_error("no " + field + " in /proc/self/status");
}

}  // namespace

int reportPeakOf(const std::function<void()>& work, const std::function<void()>& prepare) {
    try {
        if (prepare) prepare();
        // Lowers the high-water mark to what the process holds now (Linux 4.0 and later), so that
        // starting up and preparing do not count.
        std::ofstream("/proc/self/clear_refs") << "5";
        MemoryPeak result;
        result.before = statusBytes("VmRSS");
        work();
        result.peak = statusBytes("VmHWM");
        std::printf("peak %zu %zu\n", result.before, result.peak);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "memory measurement failed: %s\n", error.what());
        return 1;
    }
}

MemoryPeak measureInFreshProcess(const std::vector<std::string>& arguments) {
    int channel[2];
    if (::pipe(channel) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, channel[0]);

    std::vector<std::string> words{"corvane-bench-child"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    const int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(channel[1]);
    if (spawned != 0) {
        ::close(channel[0]);
        throw std::runtime_error(std::string("posix_spawn: ") + std::strerror(spawned));
    }
    std::string output;
    char buffer[256];
    for (;;) {
        const ssize_t count = ::read(channel[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        output.append(buffer, static_cast<size_t>(count));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    MemoryPeak result;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(output.c_str(), "peak %zu %zu", &result.before, &result.peak) != 2)
        throw std::runtime_error("the measuring process failed: " + output);
    return result;
}

}  // namespace corvane::bench
