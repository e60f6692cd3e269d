#include "feedstore/FeedUpdate.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

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
        "<?xml version=\"1.0\"?><feed xmlns=\"http://example.com/not-atom\"><title>Atom</title>"
        "<entry><title>e</title></entry></feed>",
        "<opml version=\"2.0\"><body><outline xmlUrl=\"http://127.0.0.1/feed\"/></body></opml>",
        "<a:feed xmlns:a=\"http://www.w3.org/2005/Atom\"><a:entry><a:title>e</a:title></a:entry>",
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

// 160 KB that would expand to 2 GB: refused as not RSS before the component sees it.
TEST(FeedUpdate, OneLargeEntityUsedOftenIsNotRss) {
    std::string references;
    for (int i = 0; i < 20000; ++i)
        references += "&big;";
    FeedFetch fetch =
        read("<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY big \"" + std::string(100000, 'x') +
             "\">]><rss version=\"2.0\"><channel><title>T</title><item><guid>b</guid>"
             "<description>" +
             references + "</description></item></channel></rss>");
    EXPECT_TRUE(fetch.notRss);
    EXPECT_TRUE(fetch.items.empty());
}

TEST(FeedUpdate, EntitiesWithPredefinedReferencesAreRead) {
    FeedFetch fetch = read(
        "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY c \"AT&amp;T &lt;news&gt;\">]>"
        "<rss version=\"2.0\"><channel><title>&c;</title></channel></rss>");
    EXPECT_FALSE(fetch.notRss);
    EXPECT_EQ(fetch.title, u"AT&T <news>");
}

TEST(FeedUpdate, NestedEntitiesInUtf16WithoutMarkAreNotRss) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><!DOCTYPE rss [<!ENTITY a \"aaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;\">]><rss version=\"2.0\"><channel><title>&b;</title>"
        "</channel></rss>";
    std::string document;
    for (char c : text)
        document += {c, '\0'};
    FeedFetch fetch = read(document);
    EXPECT_TRUE(fetch.notRss);
    EXPECT_FALSE(fetch.title);
}

TEST(FeedUpdate, FeedLabelIsKept) {
    RSSObject feed;
    feed.takeFetch(read(feedWith("<item><guid>x</guid><corvane_label>2</corvane_label></item>")));
    ASSERT_EQ(feed.items.size(), 1u);
    EXPECT_EQ(feed.items[0]->label, 2);
}

// An update reading against the ids its feed knew at the start must end exactly as one that reads
// every item: the items handed over may be fewer, never the feed that takes them over.
class KnownIdsRead : public ::testing::Test {
  protected:
    // What `feed` would look like after taking the document over, read with and without a snapshot.
    struct Outcome {
        std::vector<std::u16string> titles, descriptions, ids;
        std::u16string title;
        bool notRss = false;
        bool cancelled = false;
        int stopQueries = 0;
    };

    static FeedFetch readWith(const std::string& document, const KnownItemIds* known,
                              int* stopQueries = nullptr) {
        FeedFetch fetch;
        int asked = 0;
        readFeedDocument(
            {reinterpret_cast<const uint8_t*>(document.data()), document.size()}, u"u", fetch,
            [&asked] { return ++asked < 0; }, known);
        if (stopQueries) *stopQueries = asked;
        return fetch;
    }

    Outcome takeOver(const std::string& document, bool withSnapshot) {
        RSSObject copy;
        copy.identity = feed.identity;
        const std::shared_ptr<const KnownItemIds> known = copy.knownIds();
        Outcome outcome;
        FeedFetch fetch = readWith(document, withSnapshot ? known.get() : nullptr, &outcome.stopQueries);
        outcome.cancelled = fetch.cancelled;
        copy.takeFetch(std::move(fetch));
        for (const auto& entry : copy.items) {
            outcome.titles.push_back(entry->title);
            outcome.descriptions.push_back(entry->description);
            outcome.ids.push_back(entry->id);
        }
        outcome.title = copy.title;
        outcome.notRss = copy.notRss;
        return outcome;
    }

    void expectSameOutcome(const std::string& document) {
        const Outcome all = takeOver(document, false);
        const Outcome skipping = takeOver(document, true);
        EXPECT_EQ(skipping.titles, all.titles) << document.substr(0, 200);
        EXPECT_EQ(skipping.descriptions, all.descriptions);
        EXPECT_EQ(skipping.ids, all.ids);
        EXPECT_EQ(skipping.title, all.title);
        EXPECT_EQ(skipping.notRss, all.notRss);
        EXPECT_EQ(skipping.stopQueries, all.stopQueries);
    }

    std::vector<std::u16string> handedOverTitles(const std::string& document) {
        const std::shared_ptr<const KnownItemIds> known = feed.knownIds();
        FeedFetch fetch = readWith(document, known.get());
        std::vector<std::u16string> list;
        for (const auto& entry : fetch.items)
            list.push_back(entry->title);
        return list;
    }

    RSSObject feed;
};

TEST_F(KnownIdsRead, KnownItemsAreNotHandedOverNewOnesAreInFeedOrder) {
    feed.takeFetch(read(feedWith(item("a", "", "A") + item("b", "Tue, 10 Jun 2003 04:00:00 GMT", "B"))));
    const std::string next = feedWith(item("c", "", "C") + item("a", "", "A") + item("d", "", "D") +
                                      item("b", "Tue, 10 Jun 2003 04:00:30 GMT", "B") +
                                      item("b", "Tue, 10 Jun 2003 04:01:00 GMT", "B2"));
    EXPECT_EQ(handedOverTitles(next), (std::vector<std::u16string>{u"C", u"D", u"B2"}));
    expectSameOutcome(next);
    // A known id given by the feed itself counts as well.
    feed.identity.insert(u"fixed");
    EXPECT_TRUE(
        handedOverTitles(feedWith("<item><corvane_id>fixed</corvane_id><title>F</title></item>")).empty());
}

TEST_F(KnownIdsRead, DuplicatesInTheDocumentAreHandedOverOnceFirstOneWins) {
    feed.takeFetch(read(feedWith(item("a", "", "A"))));
    // Same guid and title, so the same id: only the description differs.
    const std::string first = "<item><guid>n</guid><title>N</title><description>first</description></item>";
    const std::string second = "<item><guid>n</guid><title>N</title><description>second</description></item>";
    const std::string next = feedWith(item("a", "", "A") + first + item("a", "", "A") + second +
                                      "<item><description>one</description></item>" +
                                      "<item><description>two</description></item>");
    const std::shared_ptr<const KnownItemIds> known = feed.knownIds();
    FeedFetch fetch = readWith(next, known.get());
    ASSERT_EQ(fetch.items.size(), 2u);
    EXPECT_EQ(fetch.items[0]->description, u"first");
    EXPECT_EQ(fetch.items[1]->description, u"one");
    expectSameOutcome(next);
}

TEST_F(KnownIdsRead, SnapshotKeepsTheIdsOfItsMoment) {
    feed.takeFetch(read(feedWith(item("a", "", "A"))));
    const std::shared_ptr<const KnownItemIds> known = feed.knownIds();
    feed.takeFetch(read(feedWith(item("b", "", "B"))));
    feed.identity.clear();
    FeedFetch fetch = readWith(feedWith(item("a", "", "A") + item("b", "", "B")), known.get());
    ASSERT_EQ(fetch.items.size(), 1u);
    EXPECT_EQ(fetch.items[0]->title, u"B");
}

TEST_F(KnownIdsRead, EveryDocumentEndsAsAFullReadWould) {
    feed.takeFetch(read(feedWith(item("a", "", "A") + item("b", "", "B") + item("c", "", "C"))));
    std::string bigEntity(2000, 'x');
    std::string overBudget;  // more entity text than one field's text may expand to
    for (int i = 0; i < 6000; ++i)
        overBudget += "&big;";
    const std::string withEntities = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY big \"" + bigEntity +
                                     "\">]><rss version=\"2.0\"><channel><title>E</title>";
    const std::string documents[] = {
        feedWith(item("a", "", "A") + item("n", "", "N") + item("b", "", "B")),
        feedWith(""),
        // The field that fails to read belongs to a known item; with no snapshot the read stops there.
        withEntities + "<item><guid>a</guid><title>A</title><link>http://127.0.0.1/a</link><description>" +
            overBudget + "</description><pubDate></pubDate></item>" + item("n", "", "N") + "</channel></rss>",
        withEntities + item("n", "", "&big;") + item("a", "", "A") + "</channel></rss>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><rss><channel>" + item("b", "", "B") +
            item("\xE9", "", "\xE9t\xE9") + "</channel></rss>",
        "<!-- <rss> --><!DOCTYPE rss SYSTEM \"rss.dtd\"><rss><channel>" + item("c", "", "C") +
            item("m", "", "M") + "</channel></rss>",
        "<!-- <rss> --><!DOCTYPE rss [<!ENTITY e \"E\">]><rss><channel>" + item("c", "", "&e;") +
            item("m", "", "&e;") + "</channel></rss>",
        feedWith(item("a", "", "A") + item("n", "", "N")).substr(0, 150),
    };
    for (const std::string& document : documents)
        expectSameOutcome(document);
}

TEST_F(KnownIdsRead, Utf16DocumentsAreReadAsBefore) {
    feed.takeFetch(read(feedWith(item("a", "", "A"))));
    const std::string text = feedWith(item("a", "", "A") + item("n", "", "N"));
    std::string document = "\xFF\xFE";
    for (char c : text) {
        document += c;
        document += '\0';
    }
    EXPECT_EQ(handedOverTitles(document), (std::vector<std::u16string>{u"N"}));
    expectSameOutcome(document);
}

TEST_F(KnownIdsRead, CancelledReadIsCancelledWithASnapshotToo) {
    feed.takeFetch(read(feedWith(item("a", "", "A"))));
    const std::shared_ptr<const KnownItemIds> known = feed.knownIds();
    const std::string document = feedWith(item("a", "", "A") + item("b", "", "B") + item("c", "", "C"));
    FeedFetch fetch;
    int asked = 0;
    readFeedDocument(
        {reinterpret_cast<const uint8_t*>(document.data()), document.size()}, u"u", fetch,
        [&asked] { return ++asked > 3; }, known.get());
    EXPECT_TRUE(fetch.cancelled);
    EXPECT_EQ(asked, 4);  // after the parse and before each item, known ones too
}

TEST(KnownItemIds, HoldsExactlyTheIdsItWasMadeOf) {
    std::set<std::u16string> ids{u"", u"a", u"ab", u"abc", u"b"};
    for (int i = 0; i < 1000; ++i)
        ids.insert(u"id-" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) +
                   std::u16string(static_cast<size_t>(i / 10), u'x'));
    ItemIdentity identity;
    // Out of order: most go beside the packed ones.
    identity.insert(ids.rbegin(), ids.rend());
    const KnownItemIds known(identity);
    EXPECT_FALSE(known.empty());
    for (const std::u16string& id : ids)
        EXPECT_TRUE(known.contains(id)) << std::string(id.begin(), id.end());
    for (std::u16string_view other : {u"abcd", u"c", u"A", u"id-", u"id-0y", u"\u00e9"})
        EXPECT_FALSE(known.contains(other));
    EXPECT_TRUE(KnownItemIds({}).empty());
    EXPECT_FALSE(KnownItemIds({}).contains(u""));
}

}  // namespace
}  // namespace corvane
