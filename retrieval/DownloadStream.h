#pragma once

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

    // Everything written so far, contiguous. The view stays valid until the next write or the end of
    // the stream (on Windows the block is kept locked for that long, and unlocked before a write).
    virtual std::span<const uint8_t> bytes() const = 0;
};

// Null when the stream cannot be made (no memory).
std::unique_ptr<DownloadStream> createDownloadStream();

}  // namespace corvane::retrieval
