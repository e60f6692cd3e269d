#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace corvane::retrieval {

// The growable in-memory stream a download job writes into. On Windows it is an IStream from
// CreateStreamOnHGlobal over a movable block; natively a byte vector.
class DownloadStream {
  public:
    virtual ~DownloadStream() = default;

    // Appends the bytes; the result is the count the stream reports written, which may be short.
    virtual uint32_t write(std::span<const uint8_t> bytes) = 0;

    // The length the server announced, told before the first write: a stream that grows by copying
    // can make room for it at once. Only a hint; the body may turn out shorter or longer. The
    // Windows stream ignores it.
    virtual void reserve(size_t bytes) { (void)bytes; }

    // Everything written so far, contiguous. The view stays valid until the next write or the end of
    // the stream (on Windows the block is kept locked for that long, and unlocked before a write).
    virtual std::span<const uint8_t> bytes() const = 0;
};

// Null when the stream cannot be made (no memory).
std::unique_ptr<DownloadStream> createDownloadStream();

}  // namespace corvane::retrieval
