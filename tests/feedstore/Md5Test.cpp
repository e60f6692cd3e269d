#include "feedstore/Md5.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {
namespace {

std::string hex(const Md5Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : digest)
        out += {kDigits[b >> 4], kDigits[b & 15]};
    return out;
}

std::span<const uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(hex(md5(bytesOf(""))), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(hex(md5(bytesOf("a"))), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(hex(md5(bytesOf("abc"))), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hex(md5(bytesOf("message digest"))), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(hex(md5(bytesOf("abcdefghijklmnopqrstuvwxyz"))), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(hex(md5(bytesOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"))),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(
        hex(md5(bytesOf("1234567890123456789012345678901234567890123456789012345678901234567890123456789"
                        "0"))),
        "57edf4a22be3c955ac49da2e2107b67a");
}

std::vector<uint8_t> pattern(size_t length) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

TEST(Md5, LengthsAroundThePaddingBoundary) {
    const std::pair<size_t, const char*> rows[] = {
        {55, "52c0e574e1198de5fe3f8f11440dcb1b"},  {56, "46c9907fc908ee68b1e7b8e71286a518"},
        {63, "a62f6d59e837867693f042f5b8f5a236"},  {64, "7160b8fb5e9e4023d549c3971fbaeead"},
        {65, "70bd662e7aefbda85a0f7244167b7897"},  {119, "e84905d4214f4d1ca56c2cdcc152b143"},
        {120, "e3eb5a6c8669ea01a8c185b8abc8a5dc"}, {1000, "10046f077f2082ac19676b8079f1cb1a"},
    };
    for (const auto& [length, expected] : rows)
        EXPECT_EQ(hex(md5(pattern(length))), expected) << length;
}

TEST(Md5, PiecewiseFeedingEqualsOneCall) {
    const std::vector<uint8_t> bytes = pattern(1000);
    for (size_t piece : {1u, 3u, 63u, 64u, 65u, 200u}) {
        Md5 hash;
        for (size_t offset = 0; offset < bytes.size(); offset += piece)
            hash.update(
                std::span<const uint8_t>(bytes).subspan(offset, std::min(piece, bytes.size() - offset)));
        EXPECT_EQ(hex(hash.finish()), "10046f077f2082ac19676b8079f1cb1a") << piece;
    }
}

}  // namespace
}  // namespace corvane
