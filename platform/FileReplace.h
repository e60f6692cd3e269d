#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FolderLock.h"
#include "platform/Status.h"

namespace corvane {

struct FileReplaceResult {
    Status status = kStatusOk;   // a Windows-style code: HRESULT_FROM_WIN32 of the failure
    std::u16string description;  // what failed and why, for the error trace; empty on success

    explicit operator bool() const { return succeeded(status); }
};

// Puts the bytes in the place of the file at the path (creating it when missing) so that a crash or a
// full disk never leaves a torn file: the bytes go to a temporary file in the same folder, are flushed
// to disk, and the temporary file then replaces the original in one step. On failure the old file is
// left whole and the temporary file is removed.
FileReplaceResult replaceFileAtomically(std::u16string_view path, std::string_view bytes);

// Where a piece of the new file goes: false when it could not be written, and the file is then
// abandoned.
using FilePieceSink = std::function<bool(std::string_view piece)>;
// The same for bytes made as they are written, so that a large file is never held whole: `produce`
// hands its pieces to the sink in order and answers whether it made them all. A producer that
// fails (or raises) leaves the old file as it was.
FileReplaceResult replaceFileAtomically(std::u16string_view path,
                                        const std::function<bool(const FilePieceSink&)>& produce);

// The same for a file that keeps its first `keep` bytes and gets `tail` after them: the kept bytes
// are copied from the file as it is, by the system where it can. Fails, changing nothing, when the
// file at the path is no longer the one `expected` names.
FileReplaceResult replaceFileEndAtomically(std::u16string_view path, const FileStamp& expected, uint64_t keep,
                                           std::string_view tail);

// One change made in a file as it stands: `bytes` over its bytes from `offset` on (past its end, it grows).
struct FilePatch {
    uint64_t offset = 0;
    std::string_view bytes;
};
// Writes the patches into the file at the path itself, not through a copy, and flushes the file to disk
// after each group of `steps`: no group reaches the disk before the ones ahead of it. Fails, changing
// nothing, when the file is no longer the one `expected` names; a failure or a crash partway leaves the
// groups ahead of the one under way written, and that one partly. The caller keeps every such state
// readable.
// With FilePatchFlush::None, nothing is flushed: the system writes the patches when it will.
enum class FilePatchFlush { EachStep, None };
FileReplaceResult patchFileInPlace(std::u16string_view path, const FileStamp& expected,
                                   const std::vector<std::vector<FilePatch>>& steps,
                                   FilePatchFlush flush = FilePatchFlush::EachStep);

// The unit a disk writes whole: a patch inside one is never found half written.
constexpr uint64_t kSectorSize = 512;
inline bool inOneSector(const FilePatch& patch) {
    return patch.bytes.empty() ||
           patch.offset / kSectorSize == (patch.offset + patch.bytes.size() - 1) / kSectorSize;
}

// What of `patch` a writer gets to write when it is to be killed once `left` more bytes are written
// (none to be killed while `left` is negative): all of it, or the bytes before the kill, and whether
// the kill comes there. A write inside one sector is whole or not there at all, as the disk writes it.
inline std::string_view bytesBeforeKill(const FilePatch& patch, int64_t& left, bool& killed) {
    killed = left >= 0 && static_cast<uint64_t>(left) < patch.bytes.size();
    std::string_view bytes = patch.bytes;
    if (killed) bytes = bytes.substr(0, inOneSector(patch) ? 0 : static_cast<size_t>(left));
    if (left >= 0) left -= static_cast<int64_t>(bytes.size());
    return bytes;
}

// Test seam: the next replaceFileAtomically on this thread fails at the stage as the system would
// (Write after half of the bytes are written), and cleans up as it does for a real failure.
enum class FileReplaceStage { None, Create, Write, Flush, Replace };

namespace detail {
inline thread_local FileReplaceStage injectedFileReplaceFailure = FileReplaceStage::None;
// Benchmark seam: while set, replaceFileAtomically on this thread adds the time its flushes to disk
// take to it, so that the cost of a save can be told apart from the disk's. It changes nothing else.
inline thread_local std::chrono::nanoseconds* flushTimeSpent = nullptr;
// Test seam: while not negative, patchFileInPlace on this thread writes only this many bytes in all,
// flushes nothing more and fails, leaving the file as a writer killed at that byte would.
inline thread_local int64_t patchBytesBeforeKill = -1;
}  // namespace detail

inline void failNextFileReplaceAt(FileReplaceStage stage) {
    detail::injectedFileReplaceFailure = stage;
}

}  // namespace corvane
