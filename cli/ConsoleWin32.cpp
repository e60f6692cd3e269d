#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>

#include "cli/Console.h"

namespace corvane::cli {
namespace {

std::atomic<bool> interruptFlag{false};

BOOL WINAPI onControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    interruptFlag = true;
    return TRUE;
}

}  // namespace

void prepareConsole() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

bool inputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}
bool errorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

void catchInterrupts() {
    SetConsoleCtrlHandler(onControl, TRUE);
}

bool interrupted() {
    return interruptFlag.load();
}

}  // namespace corvane::cli
