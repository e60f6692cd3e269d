#pragma once

#include <string_view>

namespace corvane {

enum class FileProbe {
    Missing,     // nothing at the path
    Readable,    // a file that can be opened and read
    Unreadable,  // something is there, but it cannot be read (locked, no permission, a folder)
};

FileProbe probeFile(std::u16string_view path);

// Copies the file to a new file at `to`; fails, changing nothing, when `to` already exists. The copy
// is flushed to disk before this returns true.
bool copyFileToNew(std::u16string_view from, std::u16string_view to);

}  // namespace corvane
