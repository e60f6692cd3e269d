#include <windows.h>
#include <shellapi.h>

#include "cli/CommandLine.h"
#include "platform/Utf.h"
#include "platform/Win32Text.h"

namespace corvane::cli {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(toUtf8(fromWide(wide[i])));
    LocalFree(wide);
    return arguments;
}

void prepareHeapForUpdate(int, char**) {}

void leaveProgram(int) {}

}  // namespace corvane::cli
