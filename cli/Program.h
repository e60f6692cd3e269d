#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

// The project version in the top CMakeLists.txt, which the installer carries too.
inline constexpr char kVersion[] = CORVANE_VERSION;

// Runs the command line (without the program name); returns the exit status.
int runProgram(const std::vector<std::string>& arguments);

}  // namespace corvane::cli
