#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#endif

#include "platform/Utf.h"

namespace corvane::testing {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string quoted(const std::string& argument) {
    return "\"" + argument + "\"";
}

inline std::string slurpFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the program with the arguments, stdin empty (so not a terminal), and collects its exit code
// and output. Arguments are quoted; none may hold a double quote.
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const std::filesystem::path& scratch) {
    const std::filesystem::path out = scratch / "stdout.txt";
    const std::filesystem::path err = scratch / "stderr.txt";
    std::string command = quoted(program);
    for (const std::string& argument : arguments) {
        command += ' ';
        command += quoted(argument);
    }
    ProgramRun run;
#ifdef _WIN32
    // Straight through CreateProcess: cmd.exe under Wine does not pass every exit code on.
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto open = [&](const std::filesystem::path& path, DWORD access, DWORD disposition) {
        return CreateFileW(path.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE input = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE output = open(out, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE error = open(err, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    std::u16string wide = fromUtf8(command);
    std::wstring line(wide.begin(), wide.end());
    // Wine under load now and then fails to create a process; a creation that failed ran nothing, so
    // it is tried again, and a last failure is told in the run's error text.
    bool created = false;
    DWORD createError = 0;
    for (int attempt = 0; attempt < 3 && !created; ++attempt) {
        if (attempt > 0) Sleep(200);
        created = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                 &process) != FALSE;
        if (!created) createError = GetLastError();
    }
    if (created) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(input);
    CloseHandle(output);
    CloseHandle(error);
#else
    command += " < /dev/null > " + quoted(out.string()) + " 2> " + quoted(err.string());
    int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    run.out = slurpFile(out);
    run.err = slurpFile(err);
#ifdef _WIN32
    if (!created) run.err += "CreateProcess failed with error " + std::to_string(createError) + "\n";
#endif
    return run;
}

#ifndef _WIN32
// True once the process has its own handler for Ctrl-C.
inline bool catchesInterrupts(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1)) & 1;
    return false;
}

// Runs the program as runProgram does and presses Ctrl-C `after` it has its own handler for it. Timed
// from the start instead, a start under a sanitiser on a loaded machine (seconds) would be
// interrupted before the program could answer, and the test would time the start, not the program.
inline ProgramRun runAndInterrupt(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::filesystem::path& scratch, std::chrono::milliseconds after) {
    const std::string out = (scratch / "stdout.txt").string(), err = (scratch / "stderr.txt").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    ProgramRun run;
    pid_t child = 0;
    const bool started = ::posix_spawn(&child, program.c_str(), &files, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&files);
    if (!started) return run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!catchesInterrupts(child) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(after);
    ::kill(child, SIGINT);
    int status = 0;
    if (::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.out = slurpFile(out);
    run.err = slurpFile(err);
    return run;
}
#endif

}  // namespace corvane::testing
