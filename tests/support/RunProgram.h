#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>

#include <cstdlib>
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
    auto slurp = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    run.out = slurp(out);
    run.err = slurp(err);
#ifdef _WIN32
    if (!created) run.err += "CreateProcess failed with error " + std::to_string(createError) + "\n";
#endif
    return run;
}

}  // namespace corvane::testing
