#include "feedstore/ItemIdentity.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace corvane {
namespace {

std::vector<std::u16string> listed(const ItemIdentity& identity) {
    return {identity.begin(), identity.end()};
}

// Whatever order ids come in, the identity holds and lists what a std::set of them does.
TEST(ItemIdentity, HoldsAndOrdersIdsAsASetDoes) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        std::set<std::u16string> expected;
        ItemIdentity identity;
        for (int i = 0; i < 300; ++i) {
            std::u16string id;
            for (size_t length = random() % 4; length > 0; --length)
                id += static_cast<char16_t>(u"ab\u00e9\uffff"[random() % 4]);
            // Mostly ascending, as a file lists them, then an update's few anywhere.
            if (round % 2 == 0 && i < 200)
                id = u"m" + std::u16string(i / 26 + 1, static_cast<char16_t>(u'a' + i % 26));
            if (random() % 10 == 0 && !expected.empty()) {
                const std::u16string gone = *std::next(expected.begin(), random() % expected.size());
                expected.erase(gone);
                identity.erase(gone);
            }
            expected.insert(id);
            identity.insert(id);
        }
        ASSERT_EQ(identity.size(), expected.size());
        EXPECT_EQ(listed(identity), std::vector<std::u16string>(expected.begin(), expected.end()));
        for (const std::u16string& id : expected)
            EXPECT_EQ(identity.count(id), 1u);
        for (std::u16string_view absent : {u"c", u"ma0", u"\uffff\uffff\uffff\uffff"})
            EXPECT_EQ(identity.count(absent), expected.count(std::u16string(absent)));
    }
}

TEST(ItemIdentity, ComparesByTheIdsItHolds) {
    ItemIdentity packed{u"a", u"b", u"c"};
    ItemIdentity beside{u"c"};
    beside.insert(u"b");
    beside.insert(u"a");
    EXPECT_EQ(packed, beside);
    beside.insert(u"a");  // held already
    EXPECT_EQ(beside.size(), 3u);
    beside.erase(u"b");
    EXPECT_FALSE(packed == beside);
    EXPECT_EQ(listed(beside), (std::vector<std::u16string>{u"a", u"c"}));
    beside.clear();
    EXPECT_TRUE(beside.empty());
    EXPECT_EQ(beside.begin(), beside.end());
    beside.insert(u"z");
    EXPECT_EQ(listed(beside), std::vector<std::u16string>{u"z"});
}

}  // namespace
}  // namespace corvane
