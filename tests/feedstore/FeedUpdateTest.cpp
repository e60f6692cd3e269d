#include "feedstore/FeedUpdate.h"

#include <gtest/gtest.h>

#include <string>

#include "feedstore/RSSDatabase.h"

namespace corvane {
namespace {

std::string feedWith(const std::string& items, const std::string& channel = "<title>News</title>") {
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel>" + channel + items + "</channel></rss>";
}

std::string item(const std::string& guid, const std::string& date, const std::string& title = "t") {
    return "<item><guid>" + guid + "</guid><pubDate>" + date + "</pubDate><title>" + title +
           "</title><link>http://127.0.0.1/" + guid + "</link></item>";
}

FeedFetch read(const std::string& document) {
    FeedFetch fetch;
    readFeedDocument({reinterpret_cast<const uint8_t*>(document.data()), document.size()},
                     u"http://127.0.0.1/feed", fetch);
    return fetch;
}

std::vector<std::u16string> titles(const RSSObject& feed) {
    std::vector<std::u16string> list;
    for (const auto& entry : feed.items)
        list.push_back(entry->title);
    return list;
}

TEST(FeedUpdate, SecondReadOfTheSameFeedAddsNothing) {
    const std::string document =
        feedWith(item("a", "Tue, 10 Jun 2003 04:00:00 GMT", "A") + item("b", "", "B"));
    RSSObject feed;
    feed.takeFetch(read(document));
    EXPECT_EQ(titles(feed), (std::vector<std::u16string>{u"A", u"B"}));
    EXPECT_EQ(feed.identity.size(), 2u);
    feed.takeFetch(read(document));
    EXPECT_EQ(feed.items.size(), 2u);
    EXPECT_FALSE(feed.notRss);
    EXPECT_FALSE(feed.downloadFailed);
}

TEST(FeedUpdate, ChangedMinuteIsANewMessageChangedSecondIsNot) {
    RSSObject feed;
    feed.takeFetch(read(feedWith(item("a", "Tue, 10 Jun 2003 04:00:00 GMT"))));
    feed.takeFetch(read(feedWith(item("a", "Tue, 10 Jun 2003 04:00:59 GMT"))));
    EXPECT_EQ(feed.items.size(), 1u);
    feed.takeFetch(read(feedWith(item("a", "Tue, 10 Jun 2003 04:01:00 GMT"))));
    ASSERT_EQ(feed.items.size(), 2u);
    EXPECT_EQ(feed.items[1]->pubDate, u"Tue, 10 Jun 2003 04:01:00 GMT");
}

TEST(FeedUpdate, KnownItemsAreNeverUpdated) {
    RSSObject feed;
    feed.takeFetch(read(feedWith("<item><corvane_id>fixed</corvane_id><title>old</title></item>")));
    feed.items[0]->label = 4;
    feed.takeFetch(read(feedWith("<item><corvane_id>fixed</corvane_id><title>new</title></item>")));
    ASSERT_EQ(feed.items.size(), 1u);
    EXPECT_EQ(feed.items[0]->title, u"old");
    EXPECT_EQ(feed.items[0]->label, 4);
}

TEST(FeedUpdate, DuplicatesInOneDocumentAndEmptyKeysAreTakenOnce) {
    RSSObject feed;
    feed.takeFetch(read(feedWith(item("a", "", "x") + item("a", "", "x") +
                                 "<item><description>one</description></item>" +
                                 "<item><description>two</description></item>")));
    ASSERT_EQ(feed.items.size(), 2u);
    EXPECT_EQ(feed.items[1]->id, u"");
    EXPECT_EQ(feed.items[1]->description, u"one");
    // The empty id was seen: no empty-key item is ever taken again.
    feed.takeFetch(read(feedWith("<item><description>three</description></item>")));
    EXPECT_EQ(feed.items.size(), 2u);
}

TEST(FeedUpdate, ChannelFieldsAreReplacedOnlyWhenPresent) {
    RSSObject feed;
    feed.title = u"old title";
    feed.link = u"old link";
    feed.description = u"old description";
    feed.takeFetch(read(feedWith("", "<title>New</title><description></description>")));
    EXPECT_EQ(feed.title, u"New");
    EXPECT_EQ(feed.link, u"old link");
    EXPECT_EQ(feed.description, u"");
}

TEST(FeedUpdate, AnyRssVersionIsRead) {
    for (const char* root : {"<rss version=\"0.91\">", "<rss>", "<rss version=\"9\">"}) {
        RSSObject feed;
        feed.takeFetch(read(std::string(root) + "<channel>" + item("a", "") + "</channel></rss>"));
        EXPECT_FALSE(feed.notRss) << root;
        EXPECT_EQ(feed.items.size(), 1u) << root;
    }
}

TEST(FeedUpdate, OtherDocumentsAreNotRssAndChangeNothing) {
    const std::string documents[] = {
        "<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Atom</title>"
        "<entry><title>e</title></entry></feed>",
        "<html><body>Not found</body></html>",
        feedWith(item("a", "")).substr(0, 60),
        "",
    };
    for (const std::string& document : documents) {
        RSSObject feed;
        feed.title = u"kept";
        FeedFetch fetch = read(document);
        EXPECT_TRUE(fetch.notRss) << document;
        feed.takeFetch(std::move(fetch));
        EXPECT_TRUE(feed.notRss);
        EXPECT_EQ(feed.title, u"kept");
        EXPECT_TRUE(feed.items.empty());
        EXPECT_TRUE(feed.identity.empty());
    }
}

TEST(FeedUpdate, RssWithoutChannelOrItemsIsNoFailure) {
    RSSObject feed;
    feed.title = u"kept";
    feed.takeFetch(read("<rss version=\"2.0\"/>"));
    EXPECT_FALSE(feed.notRss);
    EXPECT_EQ(feed.title, u"kept");
    EXPECT_TRUE(feed.items.empty());
}

TEST(FeedUpdate, DeletedMessagesNeverComeBack) {
    const std::string document = feedWith(item("a", "") + item("b", ""));
    RSSObject feed;
    RSSDatabase database(feed);
    feed.takeFetch(read(document));
    database.remove({feed.items[0].get(), feed.items[1].get()});
    feed.takeFetch(read(feedWith(item("a", "") + item("b", "") + item("c", "", "C"))));
    EXPECT_EQ(titles(feed), (std::vector<std::u16string>{u"C"}));
}

TEST(FeedUpdate, CancelledFetchLeavesTheFeedAsItWas) {
    RSSObject feed;
    feed.title = u"kept";
    FeedFetch fetch;
    int asked = 0;
    const std::string document = feedWith(item("a", "") + item("b", ""));
    readFeedDocument({reinterpret_cast<const uint8_t*>(document.data()), document.size()}, u"u", fetch,
                     [&asked] { return ++asked > 2; });
    EXPECT_TRUE(fetch.cancelled);
    feed.takeFetch(std::move(fetch));
    EXPECT_EQ(feed.title, u"kept");
    EXPECT_TRUE(feed.items.empty());
    EXPECT_TRUE(feed.identity.empty());
}

TEST(FeedUpdate, EntityBombIsRefusedBeforeParsing) {
    std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\">";
    const char* previous = "a";
    std::string names[] = {"b", "c", "d", "e", "f", "g", "h", "i", "j"};
    for (const std::string& name : names) {
        bomb += "<!ENTITY " + name + " \"";
        for (int i = 0; i < 10; ++i)
            bomb += std::string("&") + previous + ";";
        bomb += "\">";
        previous = name.c_str();
    }
    bomb += "]><rss><channel><title>&j;</title></channel></rss>";
    FeedFetch fetch = read(bomb);
    EXPECT_TRUE(fetch.notRss);
    EXPECT_FALSE(fetch.title);
}

TEST(FeedUpdate, FeedLabelIsKept) {
    RSSObject feed;
    feed.takeFetch(read(feedWith("<item><guid>x</guid><corvane_label>2</corvane_label></item>")));
    ASSERT_EQ(feed.items.size(), 1u);
    EXPECT_EQ(feed.items[0]->label, 2);
}

}  // namespace
}  // namespace corvane
