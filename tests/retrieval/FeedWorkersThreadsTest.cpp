// The workers against a view that keeps using the feed object: run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "feedstore/RSSDatabase.h"
#include "retrieval/FeedDownload.h"
#include "retrieval/FeedWorkers.h"
#include "retrieval/MessageQueue.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// An update on the test's own thread, as a worker runs one and the owner takes it over.
bool updateHere(RSSObject& feed, std::u16string_view url) {
    FeedFetch fetch;
    const std::shared_ptr<const KnownItemIds> known = feed.knownIds();
    const Status status = downloadFeed(url, nullptr, {}, fetch, known.get());
    feed.takeFetch(std::move(fetch));
    return status == kStatusOk;
}

#ifdef _WIN32
// Wine's WinINet leaves a blocked read only when the server sends or closes.
constexpr const char* kStallPath = "/stall?after=100&seconds=3";
#else
constexpr const char* kStallPath = "/stall?after=100&seconds=30";
#endif

TEST(FeedWorkersThreads, StopReturnsInTimeAndNothingArrivesAfterIt) {
    testing::TempFolder folder;
    MessageQueue queue;
    auto feed = std::make_unique<RSSObject>();
    feed->url = testing::serverUrl(kStallPath);
    RSSObjectThreadParams params{&queue, feed.get(), nullptr};
    auto updater = std::make_unique<CRSSObjectUpdateThread>();
    ASSERT_TRUE(updater->Start(&params));
    auto started = queue.next(10s);
    ASSERT_TRUE(started);
    ASSERT_EQ(started->message, WM_FEED_UPDATE_STARTED);  // now blocked on the stalled server
    std::this_thread::sleep_for(200ms);

    auto before = Clock::now();
    updater->Stop();
    EXPECT_LT(Clock::now() - before, KtThread::kStopWait + 500ms);
    // The feed object and the worker go at once, as when the folder closes.
    updater.reset();
    feed.reset();
    auto late = queue.next(4s);
    EXPECT_FALSE(late) << "message " << late->message << " (" << late->wParam << ") arrived after Stop";
}

TEST(FeedWorkersThreads, ViewKeepsWorkingWhileAnUpdateRuns) {
    testing::TempFolder folder;
    RSSObject feed;
    feed.settingsPath = folder.file("corvane.xml");
    feed.itemsPath = folder.file("rssitems.xml");
    feed.url = testing::serverUrl("/feed?items=3000");
    feed.takeStoredItems({});
    RSSDatabase collection(feed);
    MessageQueue queue;
    RSSObjectThreadParams params{&queue, &feed, nullptr};
    CRSSObjectUpdateThread updater;
    ASSERT_TRUE(updater.Start(&params));

    // What the view and the options dialog do meanwhile, on this thread.
    int rounds = 0;
    std::optional<PostedMessage> done;
    const auto deadline = Clock::now() + 60s;
    while ((!(done = queue.next(0ms)) || done->message != WM_FEED_UPDATE_DONE) && Clock::now() < deadline) {
        for (size_t row = 0; row < collection.count(); ++row)
            if (RSSItem* item = collection.itemAt(static_cast<int>(row))) item->label = rounds % 6;
        collection.sort(kColumnTitle, rounds % 2 == 0);
        if (collection.count() > 0) collection.remove({collection.itemAt(0)});
        feed.setParam(u"displayTime", rounds % 2 ? u"on" : u"off");
        feed.url = testing::serverUrl("/feed?items=3000");
        feed.storeSettings();
        feed.storeItems();
        ++rounds;
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(done);
    auto fetch = updater.TakeResult();
    ASSERT_TRUE(fetch);
    feed.takeFetch(std::move(*fetch));
    collection.sort(kColumnDate, true);
    EXPECT_EQ(feed.items.size(), 3000u);
    EXPECT_GT(rounds, 0);
    // A second round after deleting some: the deleted ones stay away.
    collection.remove({collection.itemAt(0), collection.itemAt(1)});
    ASSERT_TRUE(updater.Start(&params));
    while ((!(done = queue.next(20s)) || done->message != WM_FEED_UPDATE_DONE) &&
           Clock::now() < deadline + 60s) {
    }
    ASSERT_TRUE(done);
    fetch = updater.TakeResult();
    ASSERT_TRUE(fetch);
    feed.takeFetch(std::move(*fetch));
    EXPECT_EQ(feed.items.size(), 2998u);
}

TEST(FeedWorkersThreads, TheKnownIdsAreThoseOfTheStart) {
    RSSObject feed;
    feed.url = testing::serverUrl("/feed?items=3000");
    ASSERT_TRUE(updateHere(feed, testing::serverUrl("/feed?items=1000")));
    MessageQueue queue;
    RSSObjectThreadParams params{&queue, &feed, nullptr};
    CRSSObjectUpdateThread updater;
    ASSERT_TRUE(updater.Start(&params));
    // Meanwhile the owner takes every item in itself: the worker still knows only the first 1000.
    ASSERT_TRUE(updateHere(feed, feed.url));
    EXPECT_EQ(feed.items.size(), 3000u);
    std::optional<PostedMessage> done;
    const auto deadline = Clock::now() + 60s;
    while ((!(done = queue.next(20s)) || done->message != WM_FEED_UPDATE_DONE) && Clock::now() < deadline) {
    }
    ASSERT_TRUE(done);
    auto fetch = updater.TakeResult();
    ASSERT_TRUE(fetch);
    EXPECT_EQ(fetch->items.size(), 2000u);
    feed.takeFetch(std::move(*fetch));
    EXPECT_EQ(feed.items.size(), 3000u);
}

}  // namespace
}  // namespace corvane
