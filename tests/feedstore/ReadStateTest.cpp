#include "feedstore/ReadState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feedstore/FeedUpdate.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

std::vector<bool> unreadFlags(const RSSItemList& items) {
    std::vector<bool> flags;
    for (const auto& item : items)
        flags.push_back(item->unread);
    return flags;
}

FeedFetch fetchOf(const std::string& items) {
    const std::string document = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>N</title>" +
                                 items + "</channel></rss>";
    FeedFetch fetch;
    readFeedDocument({reinterpret_cast<const uint8_t*>(document.data()), document.size()},
                     u"http://127.0.0.1/feed", fetch);
    return fetch;
}

class ReadState : public ::testing::Test {
  protected:
    std::unique_ptr<RSSObject> loaded() {
        auto feed = loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
        feed->initializeItems();
        return feed;
    }
    testing::TempFolder folder;
};

TEST_F(ReadState, StoredMessagesWithoutTheMarkAreRead) {
    folder.write("rssitems.xml",
                 "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>"
                 "<item><guid>a</guid><corvane_label>2</corvane_label></item>"
                 "<item><guid>b</guid><corvane_unread>1</corvane_unread></item>"
                 "<item><guid>c</guid><corvane_unread>0</corvane_unread></item>"
                 "</channel></rss>");
    auto feed = loaded();
    EXPECT_EQ(unreadFlags(feed->items), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(unreadCount(feed->items), 1u);
}

TEST_F(ReadState, UpdatesBringUnreadMessagesAndLeaveKnownOnesAsTheyAre) {
    auto feed = loaded();
    feed->takeFetch(fetchOf("<item><guid>a</guid></item><item><guid>b</guid></item>"));
    EXPECT_EQ(unreadFlags(feed->items), (std::vector<bool>{true, true}));
    feed->items[0]->unread = false;
    // A feed cannot say its messages were read, and known ones are never taken again.
    feed->takeFetch(
        fetchOf("<item><guid>a</guid></item><item><guid>c</guid>"
                "<corvane_unread>0</corvane_unread></item>"));
    EXPECT_EQ(unreadFlags(feed->items), (std::vector<bool>{false, true, true}));
}

TEST_F(ReadState, OnlyUnreadMessagesCarryTheMarkAfterTheLabelAndItReadsBack) {
    auto feed = loaded();
    feed->takeFetch(
        fetchOf("<item><guid>a</guid></item><item><guid>b</guid>"
                "<enclosure url=\"http://127.0.0.1/e\" length=\"1\" type=\"t\"/></item>"));
    feed->items[0]->unread = false;
    ASSERT_TRUE(feed->storeItems());
    const std::string stored = folder.read("rssitems.xml");
    EXPECT_EQ(stored.find("<corvane_unread>"), stored.rfind("<corvane_unread>"));
    EXPECT_NE(stored.find("<corvane_label>0</corvane_label><corvane_unread>1</corvane_unread><enclosure"),
              std::string::npos)
        << stored;
    EXPECT_EQ(unreadFlags(loaded()->items), (std::vector<bool>{false, true}));
}

TEST(ReadStateChanges, CountOnlyTheItemsThatChanged) {
    RSSItemList items;
    for (int n = 0; n < 4; ++n) {
        items.push_back(std::make_unique<RSSItem>());
        items.back()->unread = n % 2 == 0;  // 0 and 2 unread
    }
    std::vector<RSSItem*> chosen{items[0].get(), items[1].get(), nullptr};
    EXPECT_EQ(setUnread(chosen, false), 1u);
    EXPECT_EQ(unreadCount(items), 1u);
    EXPECT_EQ(setUnread(chosen, true), 2u);
    EXPECT_EQ(unreadCount(items), 3u);
    EXPECT_EQ(markAllRead(items), 3u);
    EXPECT_EQ(markAllRead(items), 0u);
    EXPECT_EQ(unreadCount(items), 0u);
}

// Counted without parsing, as a store Corvane wrote holds them, across the reads' 1 MB seams too.
TEST_F(ReadState, StoredMessagesAreCountedFromTheFile) {
    EXPECT_EQ(countStoredMessages(folder.file("rssitems.xml")).messages, 0u);
    auto feed = loaded();
    std::string items;
    for (int n = 0; n < 6000; ++n)
        items += "<item><guid>g" + std::to_string(n) + "</guid><description>" + std::string(300, 'x') +
                 "</description></item>";
    feed->takeFetch(fetchOf(items));
    for (size_t n = 0; n < feed->items.size(); n += 3)
        feed->items[n]->unread = false;
    ASSERT_TRUE(feed->storeItems());
    const StoredCounts counts = countStoredMessages(folder.file("rssitems.xml"));
    EXPECT_EQ(counts.messages, 6000u);
    EXPECT_EQ(counts.unread, 4000u);
}

}  // namespace
}  // namespace corvane
