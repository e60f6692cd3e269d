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

TEST_F(MessageFilterTest, ANewMessageWhereADeletedOneWasIsSearchedAnew) {
    RSSItem* item = add(u"old words");
    item->id = u"old";
    filter.setQuery(u"new", collection);
    EXPECT_EQ(filter.rowCount(collection), 0u);
    // What a merge that allocates a message at a deleted one's address looks like to the filter.
    item->id = u"new";
    item->title = u"new words";
    filter.refresh(collection, true);
    EXPECT_EQ(filter.rowCount(collection), 1u);
}

// Whatever was indexed ahead, and however the query was reached (typed letter by letter or set at
// once), the rows shown are exactly those whose messages the query matches one by one.
TEST_F(MessageFilterTest, ShowsExactlyTheMessagesTheQueryMatchesOneByOne) {
    add(u"Storm on the coast.", u"About 200 people collected <b>1.4 tonnes</b> of rubbish");
    add(u"Stormy <b>week</b>", u"Ferries stop");
    add(u"Œuvre of the Straße", u"<p>Caf&eacute; open</p>")->author = u"Ana Müller";
    add(u"Calm sea")->content = u"<table><tr><td>Departure 06:03</td></tr></table>";
    add(u"", u"");
    const char16_t* words[] = {u"harbour", u"ferry", u"café",  u"storm",
                               u"council", u"tide",  u"ÉCOLE", u"1.4"};
    for (int n = 0; n < 80; ++n)
        add(std::u16string(words[n % 8]) + u" " + words[(n / 8) % 8], n % 3 ? u"" : u"<i>late</i> notice");
    // Part of the collection is indexed ahead, as the view does while it waits; a keystroke does the rest.
    EXPECT_FALSE(filter.prepare(collection, std::chrono::milliseconds(0)));

    const char16_t* queries[] = {u"storm",  u"STÖRM coast", u"storm f",     u"stormf",   u"1.4",
                                 u"4 t",    u"tonnes</b>",  u"oeuvre",      u"strasse",  u"cafe",
                                 u"müller", u"06:03",       u"late notice", u"ecole 1.", u"harbour ferry",
                                 u"i",      u"e",           u"zzz",         u"b",        u"td"};
    auto expected = [&](std::u16string_view query) {
        std::vector<std::u16string> titles;
        MessageQuery parsed(query);
        for (size_t row = 0; row < collection.count(); ++row)
            if (parsed.matches(*collection.itemAt(static_cast<int>(row))))
                titles.push_back(collection.itemAt(static_cast<int>(row))->title);
        return titles;
    };
    for (const char16_t* query : queries) {
        const std::u16string whole = query;
        for (size_t typed = 1; typed <= whole.size(); ++typed) {
            filter.setQuery(whole.substr(0, typed), collection);
            ASSERT_EQ(shownTitles(), expected(whole.substr(0, typed)))
                << "typed " << typed << " of query " << &query - queries;
        }
        filter.clear();
        filter.setQuery(whole, collection);
        EXPECT_EQ(shownTitles(), expected(whole)) << "query " << &query - queries << " set at once";
    }
    EXPECT_TRUE(filter.prepare(collection, std::chrono::milliseconds(0)));
}

TEST_F(MessageFilterTest, DeletingMostMessagesKeepsTheAnswersRight) {
    std::vector<RSSItem*> odd;
    for (int n = 0; n < 200; ++n) {
        RSSItem* item = add(u"tide " + std::u16string(1, static_cast<char16_t>(u'a' + n % 26)));
        const std::string number = std::to_string(n);
        item->id.assign(number.begin(), number.end());
        if (n % 4) odd.push_back(item);
    }
    filter.setQuery(u"tide a", collection);
    EXPECT_EQ(filter.rowCount(collection), 8u);
    // Three in four go: the index gives their room back, and the rows still match the query.
    filter.forget(odd);
    collection.remove(odd);
    collection.sort(kColumnTitle, false);
    filter.refresh(collection, true);
    ASSERT_EQ(filter.rowCount(collection), 4u);
    for (size_t row = 0; row < 4; ++row)
        EXPECT_EQ(collection.itemAt(filter.collectionRow(static_cast<int>(row)))->title, u"tide a");
    filter.setQuery(u"tide", collection);
    EXPECT_EQ(filter.rowCount(collection), 50u);
}

}  // namespace
}  // namespace corvane
