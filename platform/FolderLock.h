#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// Which version of a file a path names: a save replaces the file (a new one takes the name), so a
// stamp that differs from the one taken at the last read or write means another writer wrote it.
struct FileStamp {
    bool exists = false;
    uint64_t volume = 0;
    uint64_t index = 0;  // the file's number on its volume
    uint64_t size = 0;
    int64_t modified = 0;  // in the system's finest unit

    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(std::u16string_view path);

// The whole file; false when it cannot be opened or read.
bool readWholeFile(std::u16string_view path, std::string& bytes);
// Up to `size` bytes from `offset` on; false when the file cannot be opened or read.
bool readFilePart(std::u16string_view path, uint64_t offset, size_t size, std::string& bytes);

// An exclusive lock on a lock file, held from construction until destruction or the end of the
// process, whatever ends it. The same on both builds: each open of the lock file is its own lock
// holder, so two holders in one process exclude each other as two processes do. Waits up to
// `patience` for another holder; a writer that cannot get it must not write.
class FolderLock {
  public:
    FolderLock(std::u16string_view lockPath, std::chrono::milliseconds patience);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    explicit operator bool() const { return held_; }
    // False when the lock file could not be made (a folder that cannot be written to).
    bool opened() const { return handle_ != -1; }

  private:
    intptr_t handle_ = -1;
    bool held_ = false;
};

}  // namespace corvane
