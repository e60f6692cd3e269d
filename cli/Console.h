#pragma once

#include <atomic>
#include <string>
#include <string_view>

// The terminal side of the command: UTF-8 output, questions, and Ctrl-C.
namespace corvane::cli {

// Sets the standard streams up for UTF-8 bytes as they are (no line-end translation on Windows).
void prepareConsole();

void writeOut(std::string_view utf8);
void writeError(std::string_view utf8);

bool inputIsTerminal();
bool errorIsTerminal();

// Asks on stderr and reads a line from stdin; true only for "y" or "yes" (any case).
bool askYesNo(const std::string& question);

// From now on Ctrl-C does not end the program but sets a flag that long operations poll.
void catchInterrupts();
bool interrupted();

}  // namespace corvane::cli
