#include "feedstore/Md5.h"

#include <algorithm>
#include <cstring>

namespace corvane {
namespace {

// Per-round shift amounts and the sine-derived constants, RFC 1321 section 3.4.
constexpr uint8_t kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

uint32_t rotateLeft(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

uint32_t readLittleEndian(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

// Every item id is a digest, so this runs for each item of each update. Each round is a loop of its
// own, unrolled, so that its function, shift, constant and word index are all fixed at each step.
void Md5::transform(const uint8_t* block) {
    uint32_t words[16];
    for (int i = 0; i < 16; ++i)
        words[i] = readLittleEndian(block + 4 * i);
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    auto step = [&](uint32_t f, int i, int g) {
        const uint32_t rotated = rotateLeft(a + f + kSine[i] + words[g], kShift[i]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    };
#pragma GCC unroll 16
    for (int i = 0; i < 16; ++i)
        step((b & c) | (~b & d), i, i);
#pragma GCC unroll 16
    for (int i = 16; i < 32; ++i)
        step((d & b) | (~d & c), i, (5 * i + 1) % 16);
#pragma GCC unroll 16
    for (int i = 32; i < 48; ++i)
        step(b ^ c ^ d, i, (3 * i + 5) % 16);
#pragma GCC unroll 16
    for (int i = 48; i < 64; ++i)
        step(c ^ (b | ~d), i, (7 * i) % 16);
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

void Md5::update(std::span<const uint8_t> bytes) {
    size_t used = static_cast<size_t>(length_ % 64);
    length_ += bytes.size();
    size_t offset = 0;
    if (used > 0) {
        size_t take = std::min(bytes.size(), 64 - used);
        std::memcpy(buffer_.data() + used, bytes.data(), take);
        offset = take;
        if (used + take < 64) return;
        transform(buffer_.data());
    }
    for (; offset + 64 <= bytes.size(); offset += 64)
        transform(bytes.data() + offset);
    if (offset < bytes.size()) std::memcpy(buffer_.data(), bytes.data() + offset, bytes.size() - offset);
}

Md5Digest Md5::finish() {
    uint64_t bitLength = length_ * 8;
    uint8_t padding[72] = {0x80};
    size_t used = static_cast<size_t>(length_ % 64);
    size_t padLength = used < 56 ? 56 - used : 120 - used;
    update(std::span<const uint8_t>(padding, padLength));
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = static_cast<uint8_t>(bitLength >> (8 * i));
    update(lengthBytes);
    Md5Digest digest;
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            digest[4 * i + k] = static_cast<uint8_t>(state_[i] >> (8 * k));
    return digest;
}

Md5Digest md5(std::span<const uint8_t> bytes) {
    Md5 hash;
    hash.update(bytes);
    return hash.finish();
}

}  // namespace corvane
