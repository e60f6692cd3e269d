#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

// The program's arguments as UTF-8, without the program name. On Windows they are read as UTF-16
// from the process, so names outside the code page survive.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Natively, an update starts itself again once, with glibc's allocator asked to back the heap with
// 2 MB pages and to grow it 64 MB at a time (what glibc reads from GLIBC_TUNABLES, only at start-up).
// An update holds the whole feed and every item it brings in memory: tens of megabytes touched for
// the first time, one page fault every 4 kB otherwise. Left as it is when GLIBC_TUNABLES is set
// (the person's own choice, or the second start), and elsewhere nothing happens.
void startUpdateWithLargePages(int argc, char** argv);

}  // namespace corvane::cli
