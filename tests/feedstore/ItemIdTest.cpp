#include "feedstore/ItemId.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(MakeItemId, GuidAloneWithoutDate) {
    EXPECT_EQ(makeItemId(u"abc", nullptr, u"", u""), u"zhRzz4DGs/2o49/ABq3DFQ");
}

TEST(MakeItemId, EmptyKeyGivesEmptyId) {
    EXPECT_EQ(makeItemId(u"", nullptr, u"", u""), u"");
}

TEST(MakeItemId, KeyJoinsGuidStampTitleAndLink) {
    const SystemTime published{2003, 6, 2, 10, 4, 0, 0, 0};
    EXPECT_EQ(makeItemId(u"guid-1", &published, u"Title", u"http://example.com/a"),
              u"M4LA3hcRRI3WSDzglKg62A");
    EXPECT_EQ(makeItemId(u"guid-1", &published, u"", u""), u"CNSPnRNrl9GXy4B9Xh9l5g");
    // Fields are joined without separators, so moving text between them keeps the id.
    EXPECT_EQ(makeItemId(u"guid-1200306100400", nullptr, u"", u""), u"CNSPnRNrl9GXy4B9Xh9l5g");
}

TEST(MakeItemId, StampStopsAtTheMinute) {
    SystemTime a{2003, 6, 2, 10, 4, 0, 0, 0};
    SystemTime seconds = a;
    seconds.wSecond = 59;
    seconds.wDayOfWeek = 6;
    SystemTime minute = a;
    minute.wMinute = 1;
    const std::u16string id = makeItemId(u"g", &a, u"t", u"l");
    EXPECT_EQ(makeItemId(u"g", &seconds, u"t", u"l"), id);
    EXPECT_NE(makeItemId(u"g", &minute, u"t", u"l"), id);
    EXPECT_NE(makeItemId(u"g", nullptr, u"t", u"l"), id);
}

TEST(MakeItemId, WideYearsAreNotCut) {
    const SystemTime published{10000, 1, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(makeItemId(u"g", &published, u"", u""), u"D/CbtNUDpzFkk1yLiouLug");
}

TEST(MakeItemId, HashesUtf16LittleEndianUnits) {
    // A character outside the BMP hashes as its two surrogate units.
    EXPECT_EQ(makeItemId(u"\U0001D11E", nullptr, u"", u""), u"Pl7NdytZUxECYAu678l32w");
    EXPECT_EQ(makeItemId(u"Corvane \u00DCn\u00EFcode", nullptr, u"", u""), u"SWlLhoLFBwgrf2xW2AU8PQ");
    EXPECT_EQ(makeItemId(u"abc", nullptr, u"", u"").size(), 22u);
}

}  // namespace
}  // namespace corvane
