#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

// The program's arguments as UTF-8, without the program name. On Windows they are read as UTF-16
// from the process, so names outside the code page survive.
std::vector<std::string> commandLineArguments(int argc, char** argv);

}  // namespace corvane::cli
