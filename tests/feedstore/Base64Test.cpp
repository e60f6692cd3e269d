#include "feedstore/Base64.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

std::string encode(std::string_view text, bool padding) {
    return base64Encode({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, padding);
}

TEST(Base64, Rfc4648Vectors) {
    EXPECT_EQ(encode("", true), "");
    EXPECT_EQ(encode("f", true), "Zg==");
    EXPECT_EQ(encode("fo", true), "Zm8=");
    EXPECT_EQ(encode("foo", true), "Zm9v");
    EXPECT_EQ(encode("foob", true), "Zm9vYg==");
    EXPECT_EQ(encode("fooba", true), "Zm9vYmE=");
    EXPECT_EQ(encode("foobar", true), "Zm9vYmFy");
}

TEST(Base64, WithoutPaddingDropsOnlyTheEqualsSigns) {
    EXPECT_EQ(encode("f", false), "Zg");
    EXPECT_EQ(encode("fo", false), "Zm8");
    EXPECT_EQ(encode("foo", false), "Zm9v");
    EXPECT_EQ(encode("foob", false), "Zm9vYg");
}

TEST(Base64, LastTwoAlphabetCharacters) {
    const uint8_t bytes[] = {0xFB, 0xFF, 0xBF};
    EXPECT_EQ(base64Encode(bytes), "+/+/");
}

}  // namespace
}  // namespace corvane
