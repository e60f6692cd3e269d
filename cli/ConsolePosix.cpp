#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

#include "cli/Console.h"

namespace corvane::cli {
namespace {

volatile std::sig_atomic_t interruptFlag = 0;

void onInterrupt(int) {
    interruptFlag = 1;
}

}  // namespace

void prepareConsole() {}

bool inputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}
bool errorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

bool interrupted() {
    return interruptFlag != 0;
}

}  // namespace corvane::cli
