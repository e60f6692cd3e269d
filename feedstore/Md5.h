#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace corvane {

using Md5Digest = std::array<uint8_t, 16>;

// MD5 message digest (RFC 1321), fed in pieces.
class Md5 {
  public:
    Md5();
    void update(std::span<const uint8_t> bytes);
    // Pads, appends the bit length and returns the digest; the object is spent afterwards.
    Md5Digest finish();

  private:
    void transform(const uint8_t* block);

    std::array<uint32_t, 4> state_;
    std::array<uint8_t, 64> buffer_{};
    uint64_t length_ = 0;  // bytes fed so far
};

Md5Digest md5(std::span<const uint8_t> bytes);

}  // namespace corvane
