#include "view/MessageList.h"

#include <gtest/gtest.h>

#include "feedstore/PubDate.h"
#include "view/StatusText.h"

namespace corvane {
namespace {

using namespace messagelist;

class MessageList : public ::testing::Test {
  protected:
    void SetUp() override {
        RSSDatabase::sortColumn = kColumnNone;
        RSSDatabase::sortAscending = false;
        feed.url = u"http://127.0.0.1/feed";
    }
    RSSItem* add(std::u16string title, std::u16string date = u"") {
        auto item = std::make_unique<RSSItem>();
        item->title = std::move(title);
        item->description = u"text of " + item->title;
        item->link = u"http://127.0.0.1/" + item->title;
        item->pubDate = std::move(date);
        item->hasDate = parsePubDate(item->pubDate, &item->publishedTime);
        if (item->hasDate) item->publishedFileTime = systemTimeToFileTime(item->publishedTime);
        feed.items.push_back(std::move(item));
        return feed.items.back().get();
    }

    RSSObject feed;
    RSSDatabase collection{feed};
};

TEST_F(MessageList, DateFormsFollowTheOptions) {
    add(u"a", u"Tue, 10 Jun 2003 04:00:00 GMT");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnDate), u"2003-06-10 04:00:00");
    feed.setParam(u"displayTime", u"off");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnDate), u"2003-06-10");
    feed.setParam(u"formatTime", u"dmy");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnDate), u"10.06.2003");
    feed.setParam(u"displayTime", u"on");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnDate), u"10.06.2003 04:00:00");
    // Only the exact lower-case values count.
    feed.setParam(u"formatTime", u"DMY");
    feed.setParam(u"displayTime", u"OFF");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnDate), u"2003-06-10 04:00:00");
}

TEST_F(MessageList, CellsShowTheItemsTextsAndNothingForAMissingDateOrRow) {
    add(u"a");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnTitle), u"a");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnDescription), u"text of a");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnLink), u"http://127.0.0.1/a");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnDate), u"");
    EXPECT_EQ(cellText(feed, collection, 1, kColumnTitle), u"");
    EXPECT_EQ(rowCount(feed, collection), 1u);
}

TEST_F(MessageList, TitleAndDescriptionCellsShowTheTextOfTheirMarkupCutToTheLimit) {
    RSSItem* item = add(u"<b>Bold</b> &amp; <i>new</i>");
    item->description = u"About 200 people collected <b>1.4 tonnes</b>\n of <a href=\"x\">waste</a>";
    item->link = u"http://127.0.0.1/?a=1&amp;b=<2>";
    EXPECT_EQ(cellText(feed, collection, 0, kColumnTitle), u"Bold & new");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnDescription),
              u"About 200 people collected 1.4 tonnes of waste");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnDescription, 9), u"About 200");
    EXPECT_EQ(cellText(feed, collection, 0, kColumnLink), u"http://127.0.0.1/?a=1&amp;b=<2>");  // as stored
    EXPECT_EQ(item->title, u"<b>Bold</b> &amp; <i>new</i>");
}

TEST_F(MessageList, TitlesAndDescriptionsSortByTheShownText) {
    add(u"<b>banana</b>")->description = u"<p>Zeta</p>";
    add(u"cherry")->description = u"&lt;alpha";
    add(u"<i>Apple</i>")->description = u"<div>  beta</div>";
    auto titles = [&] {
        std::vector<std::u16string> shown;
        for (int row = 0; row < 3; ++row)
            shown.push_back(cellText(feed, collection, row, kColumnTitle));
        return shown;
    };
    collection.setShownText(&shownSortText);
    collection.sort(kColumnTitle, true);
    EXPECT_EQ(titles(), (std::vector<std::u16string>{u"Apple", u"banana", u"cherry"}));
    collection.sort(kColumnTitle, false);
    EXPECT_EQ(titles(), (std::vector<std::u16string>{u"cherry", u"banana", u"Apple"}));
    collection.sort(kColumnDescription, true);  // <alpha, beta, Zeta
    EXPECT_EQ(titles(), (std::vector<std::u16string>{u"cherry", u"Apple", u"banana"}));
    // Without a shown text the fields themselves are compared: '<' before the letters.
    collection.setShownText(nullptr);
    collection.sort(kColumnTitle, true);
    EXPECT_EQ(titles(), (std::vector<std::u16string>{u"banana", u"Apple", u"cherry"}));
}

TEST_F(MessageList, UnconfiguredFeedShowsOneRowWithTheNotConfiguredText) {
    feed.url.clear();
    add(u"stored");
    EXPECT_EQ(rowCount(feed, collection), 1u);
    EXPECT_EQ(cellText(feed, collection, 0, kColumnTitle), kNotConfiguredText);
    EXPECT_EQ(cellText(feed, collection, 0, kColumnLink), u"");
    EXPECT_EQ(cellText(feed, collection, 1, kColumnTitle), u"");
}

TEST_F(MessageList, HeaderClicksSortAscendingThenFlip) {
    EXPECT_TRUE(sortAfterHeaderClick(kColumnDate).ascending);
    collection.sort(kColumnDate, true);
    SortOrder second = sortAfterHeaderClick(kColumnDate);
    EXPECT_EQ(second.kind, kColumnDate);
    EXPECT_FALSE(second.ascending);
    collection.sort(second.kind, second.ascending);
    EXPECT_TRUE(sortAfterHeaderClick(kColumnDate).ascending);
    EXPECT_TRUE(sortAfterHeaderClick(kColumnTitle).ascending);
}

TEST_F(MessageList, LabelsByKeyAndTheirStyles) {
    add(u"a"), add(u"b"), add(u"c");
    EXPECT_EQ(labelForKey('3'), 3);
    EXPECT_EQ(labelForKey('0'), 0);
    EXPECT_FALSE(labelForKey('7'));
    EXPECT_FALSE(labelForKey(0x60 + 3));  // numeric keypad 3
    setLabel(collection, {0, 2, 9}, 3);
    EXPECT_EQ(feed.items[0]->label, 3);
    EXPECT_EQ(feed.items[1]->label, 0);
    EXPECT_EQ(feed.items[2]->label, 3);

    LabelStyle first = labelStyle(1);
    EXPECT_TRUE(first.coloured);
    EXPECT_EQ((std::vector<int>{first.red, first.green, first.blue}), (std::vector<int>{104, 23, 13}));
    EXPECT_EQ(labelStyle(4).blue, 97);
    EXPECT_TRUE(labelStyle(5).bold);
    EXPECT_FALSE(labelStyle(5).coloured);
    EXPECT_FALSE(labelStyle(0).coloured || labelStyle(0).bold);
    EXPECT_FALSE(labelStyle(9).coloured || labelStyle(9).bold);
}

TEST_F(MessageList, DeletionTakesTheSelectedRowsItemsInRowOrder) {
    add(u"b"), add(u"a"), add(u"c");
    collection.sort(kColumnTitle, true);  // rows: a, b, c
    std::vector<RSSItem*> doomed = itemsOfRows(collection, {2, 0, 2, 7});
    ASSERT_EQ(doomed.size(), 2u);
    EXPECT_EQ(doomed[0]->title, u"a");
    EXPECT_EQ(doomed[1]->title, u"c");
    EXPECT_TRUE(deleteAsksFirst(feed));
    feed.setParam(u"dontShowDeleteConfirm", u"on");
    EXPECT_FALSE(deleteAsksFirst(feed));
}

TEST_F(MessageList, StatusTextNamesTheChannelAndCountsItsMessages) {
    feed.title = u"News";
    add(u"a"), add(u"b");
    EXPECT_EQ(statusText(feed, collection), u"Title: News [2]");
    feed.title = std::u16string(300, u'x');
    EXPECT_EQ(statusText(feed, collection).size(), 199u);
    feed.url.clear();
    EXPECT_EQ(statusText(feed, collection), u"Corvane is not configured");
}

TEST_F(MessageList, TheNotConfiguredRowShowsNoMessageAndSelectsNone) {
    add(u"a"), add(u"b");
    EXPECT_EQ(itemOfRow(feed, collection, 1)->title, u"b");
    EXPECT_EQ(itemsOfSelection(feed, collection, {1, 0}).size(), 2u);
    EXPECT_EQ(itemOfRow(feed, collection, 2), nullptr);
    feed.url.clear();  // the stored messages stay, hidden behind the one row
    EXPECT_EQ(itemOfRow(feed, collection, 0), nullptr);
    EXPECT_TRUE(itemsOfSelection(feed, collection, {0}).empty());
}

TEST_F(MessageList, ResolvedMessagesAreFoundAgainAfterASortOrAMerge) {
    RSSItem* old = add(u"old", u"Tue, 10 Jun 2003 01:00:00 GMT");
    RSSItem* older = add(u"older", u"Tue, 10 Jun 2003 00:00:00 GMT");
    collection.sort(kColumnDate, false);  // newest first: old, older
    std::vector<RSSItem*> chosen = itemsOfSelection(feed, collection, {1});
    ASSERT_EQ(chosen, std::vector<RSSItem*>{older});
    // A merge puts two newer messages on top: row 1 now shows another message, the resolved one
    // is on row 3.
    add(u"new", u"Tue, 10 Jun 2003 03:00:00 GMT");
    add(u"newer", u"Tue, 10 Jun 2003 04:00:00 GMT");
    collection.sort(kColumnDate, false);
    EXPECT_EQ(collection.itemAt(1)->title, u"new");
    EXPECT_EQ(rowsOfItems(collection, chosen), std::vector<int>{3});
    EXPECT_EQ(rowsOfItems(collection, {older, old, older}), (std::vector<int>{2, 3}));
    setLabel(chosen, 4);
    EXPECT_EQ(older->label, 4);
    EXPECT_EQ(old->label, 0);
    // Deleted: no row shows it any more.
    collection.remove(chosen);
    collection.sort(kColumnDate, false);
    EXPECT_TRUE(rowsOfItems(collection, {feed.items[0].get()}) == std::vector<int>{2});
    EXPECT_EQ(rowsOfItems(collection, {}), std::vector<int>{});
}

TEST_F(MessageList, StatusTextCountsUnreadMessagesOnlyWhileThereAreSome) {
    feed.title = u"News";
    add(u"a")->unread = true;
    add(u"b");
    add(u"c")->unread = true;
    EXPECT_EQ(statusText(feed, collection), u"Title: News [3, 2 unread]");
    feed.title = std::u16string(300, u'x');
    EXPECT_EQ(statusText(feed, collection).size(), 199u);
    feed.title = u"News";
    feed.items[0]->unread = false;
    feed.items[2]->unread = false;
    EXPECT_EQ(statusText(feed, collection), u"Title: News [3]");
}

TEST_F(MessageList, StatusTextWhileFilteredSaysHowManyOfTheMessagesAreShown) {
    feed.title = u"News";
    add(u"a")->unread = true;
    add(u"b");
    add(u"c");
    // The unread count is the folder's, as without a filter; none shown is a count like any other.
    const struct {
        size_t shown;
        bool unread;
        const char16_t* text;
    } cases[] = {
        {1, true, u"Title: News [1 of 3 messages shown, 1 unread]"},
        {0, true, u"Title: News [0 of 3 messages shown, 1 unread]"},
        {2, false, u"Title: News [2 of 3 messages shown]"},
    };
    for (const auto& each : cases) {
        feed.items[0]->unread = each.unread;
        EXPECT_EQ(statusText(feed, collection, each.shown), each.text);
    }
    feed.title = std::u16string(300, u'x');
    EXPECT_EQ(statusText(feed, collection, 1).size(), 199u);
}

TEST_F(MessageList, ControlQReadsAndControlUUnreadsWithNoOtherModifier) {
    EXPECT_EQ(unreadForKey('Q', true, false), false);
    EXPECT_EQ(unreadForKey('U', true, false), true);
    EXPECT_FALSE(unreadForKey('Q', false, false));
    EXPECT_FALSE(unreadForKey('U', true, true));
    EXPECT_FALSE(unreadForKey('q', true, false));  // virtual keys are upper case
    EXPECT_FALSE(unreadForKey('R', true, false));
}

TEST_F(MessageList, MarkReadByIdFindsTheShownMessageWhereverItNowStands) {
    for (const char16_t* title : {u"b", u"a", u"c"}) {
        RSSItem* item = add(title);
        item->unread = true;
        item->makeItemId();
    }
    const std::u16string id = feed.items[0]->id;  // "b"
    collection.sort(kColumnTitle, false);         // rows: c, b, a
    EXPECT_TRUE(markReadById(feed, id));
    EXPECT_FALSE(feed.items[0]->unread);
    EXPECT_TRUE(feed.items[1]->unread);
    EXPECT_FALSE(markReadById(feed, id));  // already read
    EXPECT_FALSE(markReadById(feed, u"no such id"));
    EXPECT_FALSE(markReadById(feed, u""));
}

}  // namespace
}  // namespace corvane
