#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

// The program's arguments as UTF-8, without the program name. On Windows they are read as UTF-16
// from the process, so names outside the code page survive.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Natively, before an update, glibc's allocator is set to grow the heap 64 MB at a time and never
// to shrink it, and an update of one folder has the heap's new part backed by 2 MB pages. An update
// holds the whole feed and every item it brings in memory: tens of megabytes touched for the first
// time, one page fault every 4 kB otherwise. Left as it is when GLIBC_TUNABLES is set (the person's
// own choice), and elsewhere nothing happens.
void prepareHeapForUpdate(int argc, char** argv);

// Natively, ends the process with `status` once the command is done and its output flushed,
// without the clean-ups of the libraries it loaded: after an update those are libcurl's two TLS
// libraries freeing their tables, some 2.4 million instructions, a fortieth of an update with
// nothing new. Every file is written and closed by then. Builds under a sanitizer, whose checks
// run at exit, and Windows return as usual.
void leaveProgram(int status);

}  // namespace corvane::cli
