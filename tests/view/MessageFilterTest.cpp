#include "view/MessageFilter.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

class MessageFilterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RSSDatabase::sortColumn = kColumnNone;
        RSSDatabase::sortAscending = false;
    }
    RSSItem* add(std::u16string title, std::u16string description = u"") {
        auto item = std::make_unique<RSSItem>();
        item->title = std::move(title);
        item->description = std::move(description);
        feed.items.push_back(std::move(item));
        return feed.items.back().get();
    }
    std::vector<std::u16string> shownTitles() const {
        std::vector<std::u16string> titles;
        for (size_t row = 0; row < filter.rowCount(collection); ++row)
            titles.push_back(collection.itemAt(filter.collectionRow(static_cast<int>(row)))->title);
        return titles;
    }

    RSSObject feed;
    RSSDatabase collection{feed};
    MessageFilter filter;
};

using Titles = std::vector<std::u16string>;

TEST_F(MessageFilterTest, TypingNarrowsAndDeletingWidensAgain) {
    add(u"Storm on the coast");
    add(u"Stormy <b>week</b>", u"Ferries stop");
    add(u"Calm sea", u"No storm at all");
    add(u"Harbour news", u"Ferries run");
    // Each step as a person types, deletes and types again; the last rows show the full list.
    struct Step {
        const char16_t* query;
        Titles shown;
    };
    const Step steps[] = {
        {u"s", {u"Storm on the coast", u"Stormy <b>week</b>", u"Calm sea", u"Harbour news"}},
        {u"st", {u"Storm on the coast", u"Stormy <b>week</b>", u"Calm sea"}},
        {u"storm", {u"Storm on the coast", u"Stormy <b>week</b>", u"Calm sea"}},
        {u"storm ", {u"Storm on the coast", u"Stormy <b>week</b>", u"Calm sea"}},
        {u"storm f", {u"Stormy <b>week</b>"}},
        {u"storm fx", {}},
        {u"storm f", {u"Stormy <b>week</b>"}},  // shorter again: the whole collection once more
        {u"ferries", {u"Stormy <b>week</b>", u"Harbour news"}},
        {u"FERRÎES rün", {u"Harbour news"}},
        {u"b", {u"Harbour news"}},  // markup is no text: "<b>" does not match
        {u"", {u"Storm on the coast", u"Stormy <b>week</b>", u"Calm sea", u"Harbour news"}},
        {u"  ", {u"Storm on the coast", u"Stormy <b>week</b>", u"Calm sea", u"Harbour news"}},
    };
    for (const Step& step : steps) {
        filter.setQuery(step.query, collection);
        EXPECT_EQ(shownTitles(), step.shown) << "query of " << std::u16string_view(step.query).size();
    }
    EXPECT_FALSE(filter.active());
}

TEST_F(MessageFilterTest, RowsMapBothWaysAndFollowTheSort) {
    add(u"b apple");
    add(u"c pear");
    add(u"a apple pie");
    add(u"d apple");
    filter.setQuery(u"apple", collection);
    ASSERT_EQ(filter.rowCount(collection), 3u);
    EXPECT_EQ(filter.collectionRows({0, 1, 2, 3, -1}), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(filter.listRows({0, 1, 2, 3}), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(filter.collectionRow(3), -1);

    collection.sort(kColumnTitle, true);
    filter.refresh(collection, false);
    EXPECT_EQ(shownTitles(), (Titles{u"a apple pie", u"b apple", u"d apple"}));

    // A merged message that matches shows up, a deleted one goes, the query stays.
    add(u"e apple");
    collection.remove({feed.items[0].get()});
    collection.sort(kColumnTitle, true);
    filter.refresh(collection, true);
    EXPECT_EQ(shownTitles(), (Titles{u"a apple pie", u"d apple", u"e apple"}));
    EXPECT_EQ(filter.query(), u"apple");

    filter.clear();
    EXPECT_EQ(filter.rowCount(collection), feed.items.size());
    EXPECT_EQ(filter.collectionRow(2), 2);
    EXPECT_EQ(filter.listRows({1, 3}), (std::vector<int>{1, 3}));
}

TEST_F(MessageFilterTest, AnEditedMessageIsSearchedAnewAfterAMerge) {
    RSSItem* item = add(u"old words");
    filter.setQuery(u"new", collection);
    EXPECT_EQ(filter.rowCount(collection), 0u);
    item->title = u"new words";
    filter.refresh(collection, true);
    EXPECT_EQ(filter.rowCount(collection), 1u);
}

}  // namespace
}  // namespace corvane
