#include "feedstore/RSSDatabase.h"

#include <gtest/gtest.h>

#include "feedstore/PubDate.h"

namespace corvane {
namespace {

class Collection : public ::testing::Test {
  protected:
    RSSItem* add(std::u16string title, std::u16string date = u"", std::u16string link = u"") {
        auto item = std::make_unique<RSSItem>();
        item->title = std::move(title);
        item->link = std::move(link);
        item->pubDate = std::move(date);
        item->hasDate = parsePubDate(item->pubDate, &item->publishedTime);
        if (item->hasDate) item->publishedFileTime = systemTimeToFileTime(item->publishedTime);
        item->makeItemId();
        feed.identity.insert(item->id);
        feed.items.push_back(std::move(item));
        return feed.items.back().get();
    }

    std::vector<std::u16string> titlesInRowOrder() {
        std::vector<std::u16string> titles;
        for (size_t row = 0; row < database.count(); ++row)
            titles.push_back(database.itemAt(int(row))->title);
        return titles;
    }

    RSSObject feed;
    RSSDatabase database{feed};
};

TEST_F(Collection, ItemAtOutsideTheListIsNone) {
    EXPECT_EQ(database.itemAt(0), nullptr);
    add(u"one");
    EXPECT_EQ(database.itemAt(0), feed.items[0].get());
    EXPECT_EQ(database.itemAt(1), nullptr);
    EXPECT_EQ(database.itemAt(-1), nullptr);
}

TEST_F(Collection, WithoutSortRowsAreStoreOrder) {
    add(u"b"), add(u"c"), add(u"a");
    EXPECT_EQ(titlesInRowOrder(), (std::vector<std::u16string>{u"b", u"c", u"a"}));
    database.sort(kColumnNone, true);
    EXPECT_EQ(titlesInRowOrder(), (std::vector<std::u16string>{u"b", u"c", u"a"}));
    EXPECT_EQ(RSSDatabase::sortColumn, kColumnNone);
}

TEST_F(Collection, TitlesFoldOnlyAToZ) {
    add(u"banana"), add(u"Apple"), add(u"apple"), add(u"\u00C4pfel"), add(u"\u00E4pfel"), add(u"Cherry");
    database.sort(kColumnTitle, true);
    EXPECT_EQ(RSSDatabase::sortColumn, kColumnTitle);
    EXPECT_TRUE(RSSDatabase::sortAscending);
    // apple and Apple are equal and keep store order; Ä (U+00C4) and ä (U+00E4) sort by code unit.
    EXPECT_EQ(titlesInRowOrder(), (std::vector<std::u16string>{u"Apple", u"apple", u"banana", u"Cherry",
                                                               u"\u00C4pfel", u"\u00E4pfel"}));
    database.sort(kColumnTitle, false);
    EXPECT_FALSE(RSSDatabase::sortAscending);
    EXPECT_EQ(titlesInRowOrder(), (std::vector<std::u16string>{u"\u00E4pfel", u"\u00C4pfel", u"Cherry",
                                                               u"banana", u"Apple", u"apple"}));
    EXPECT_EQ(compareItems(*feed.items[1], *feed.items[2], kColumnTitle), 0);
    EXPECT_NE(compareItems(*feed.items[3], *feed.items[4], kColumnTitle), 0);
}

TEST_F(Collection, UndatedItemsComeFirstAscendingAndLastDescending) {
    add(u"late", u"Wed, 11 Jun 2003 04:00:00 GMT");
    add(u"none");
    add(u"early", u"Tue, 10 Jun 2003 04:00:00 GMT");
    add(u"bad", u"2003-06-10");
    database.sort(kColumnDate, true);
    EXPECT_EQ(titlesInRowOrder(), (std::vector<std::u16string>{u"none", u"bad", u"early", u"late"}));
    database.sort(kColumnDate, false);
    EXPECT_EQ(titlesInRowOrder(), (std::vector<std::u16string>{u"late", u"early", u"none", u"bad"}));
}

TEST_F(Collection, LinksSortWithoutRegardToCase) {
    add(u"1", u"", u"http://B.example/"), add(u"2", u"", u"http://a.example/");
    database.sort(kColumnLink, true);
    EXPECT_EQ(titlesInRowOrder(), (std::vector<std::u16string>{u"2", u"1"}));
}

TEST_F(Collection, RemovedItemsLeaveTheListButNotTheIdentity) {
    add(u"a"), add(u"b"), add(u"c");
    RSSItem* b = feed.items[1].get();
    const std::u16string id = b->id;
    RSSItem stranger;
    database.remove({b, &stranger});
    database.sort(kColumnTitle, true);
    EXPECT_EQ(titlesInRowOrder(), (std::vector<std::u16string>{u"a", u"c"}));
    EXPECT_EQ(feed.identity.count(id), 1u);
    EXPECT_FALSE(feed.isNewId(feed.items[0].get()));
    EXPECT_FALSE(feed.isNewId(nullptr));
}

TEST_F(Collection, SortOfAnEmptyListLeavesNoRows) {
    database.sort(kColumnTitle, true);
    EXPECT_EQ(database.count(), 0u);
    EXPECT_EQ(database.itemAt(0), nullptr);
}

}  // namespace
}  // namespace corvane
