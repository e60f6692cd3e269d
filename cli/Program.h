#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

inline constexpr char kVersion[] = "0.1.0";

// Runs the command line (without the program name); returns the exit status.
int runProgram(const std::vector<std::string>& arguments);

}  // namespace corvane::cli
