#pragma once
// Windows only: runs a command line as a process of its own, for tests that drive other programs
// (regsvr32, msiexec, the file manager, corvane.exe).

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace corvane::testing {

// Waits at most `limit` for the process to end; its exit code, or nothing when it could not start or
// did not end in time (then it is ended).
inline std::optional<DWORD> runCommandLine(std::wstring commandLine, std::chrono::milliseconds limit) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return std::nullopt;
    std::optional<DWORD> exitCode;
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        exitCode = code;
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

}  // namespace corvane::testing
