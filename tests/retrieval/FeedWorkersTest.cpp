#include "retrieval/FeedWorkers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "feedstore/RSSDatabase.h"
#include "retrieval/MessageQueue.h"
#include "retrieval/UrlDownloader.h"
#include "retrieval/WorkerFault.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

class CountingSink : public kturldownloader_eventhandler {
  public:
    void OnStart(kturldownloader*) override { ++starts; }
    bool OnProgress(kturldownloader*) override {
        ++progressCalls;
        if (runOutOfMemory) throw std::bad_alloc();  // as the download buffer's growth would
        return !cancel;
    }
    std::atomic<int> starts{0};
    std::atomic<int> progressCalls{0};
    std::atomic<bool> cancel{false};
    std::atomic<bool> runOutOfMemory{false};
};

// A fault injected into the workers for the length of one test.
class InjectedFault {
  public:
    explicit InjectedFault(WorkerStage stage) { setInjectedWorkerFault(stage); }
    ~InjectedFault() { setInjectedWorkerFault(std::nullopt); }
    InjectedFault(const InjectedFault&) = delete;
    InjectedFault& operator=(const InjectedFault&) = delete;
};

class FeedWorkers : public ::testing::Test {
  protected:
    FeedWorkers() {
        feed.itemsPath = folder.file("rssitems.xml");
        feed.settingsPath = folder.file("corvane.xml");
        params.target = &queue;
        params.feed = &feed;
        params.handler = &sink;
    }

    // The next message, or 0 when none came in time.
    uint32_t nextMessage(std::chrono::milliseconds wait = 20s) {
        auto message = queue.next(wait);
        lastWParam = message ? message->wParam : 0;
        return message ? message->message : 0;
    }

    // Runs an update of `url` and returns its result, checking the message sequence.
    uintptr_t updateFrom(const std::u16string& url) {
        feed.url = url;
        const std::string name(url.begin(), url.end());
        EXPECT_TRUE(updater.Start(&params)) << name;
        EXPECT_EQ(nextMessage(), WM_FEED_UPDATE_STARTED) << name;
        EXPECT_EQ(nextMessage(), WM_FEED_UPDATE_DONE) << name;
        auto fetch = updater.TakeResult();
        EXPECT_TRUE(fetch);
        if (fetch) feed.takeFetch(std::move(*fetch));
        return lastWParam;
    }

    testing::TempFolder folder;
    RSSObject feed;
    MessageQueue queue;
    CountingSink sink;
    RSSObjectThreadParams params;
    CRSSObjectUpdateThread updater;
    CRSSObjectInitializeThread loader;
    uintptr_t lastWParam = 0;
};

TEST_F(FeedWorkers, InitialLoadPostsOneMessageEvenWithoutAStore) {
    EXPECT_TRUE(loader.Start(&params));
    EXPECT_EQ(nextMessage(), WM_FEED_LOADED);
    EXPECT_EQ(nextMessage(300ms), 0u);
    auto stored = loader.TakeResult();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->state, StoreFileState::Missing);
    feed.takeStoredItems(std::move(*stored));
    EXPECT_TRUE(feed.itemsLoaded);
    EXPECT_FALSE(loader.TakeResult());
}

TEST_F(FeedWorkers, InitialLoadHandsOverTheStoredItems) {
    folder.write(
        "rssitems.xml",
        "<rss version=\"2.0\"><channel><item><title>kept</title><guid>g</guid></item></channel></rss>");
    EXPECT_TRUE(loader.Start(&params));
    EXPECT_EQ(nextMessage(), WM_FEED_LOADED);
    auto stored = loader.TakeResult();
    ASSERT_TRUE(stored);
    feed.takeStoredItems(std::move(*stored));
    ASSERT_EQ(feed.items.size(), 1u);
    EXPECT_EQ(feed.items[0]->title, u"kept");
}

TEST_F(FeedWorkers, UpdateMergesOnlyWhenTheViewTakesTheResult) {
    feed.url = testing::serverUrl("/feed?items=5");
    EXPECT_TRUE(updater.Start(&params));
    EXPECT_EQ(nextMessage(), WM_FEED_UPDATE_STARTED);
    EXPECT_EQ(nextMessage(), WM_FEED_UPDATE_DONE);
    EXPECT_EQ(lastWParam, UPDATE_OK);
    EXPECT_TRUE(feed.items.empty());  // untouched until the hand-over
    auto fetch = updater.TakeResult();
    ASSERT_TRUE(fetch);
    feed.takeFetch(std::move(*fetch));
    EXPECT_EQ(feed.items.size(), 5u);
    EXPECT_EQ(feed.title, u"Test feed");
    EXPECT_EQ(sink.starts, 1);
    EXPECT_GE(sink.progressCalls, 1);
    // The same feed again: nothing new, still result 0.
    EXPECT_EQ(updateFrom(testing::serverUrl("/feed?items=5")), UPDATE_OK);
    EXPECT_EQ(feed.items.size(), 5u);
}

TEST_F(FeedWorkers, SecondUpdateHandsOverOnlyTheItemsNotKnownAtItsStart) {
    EXPECT_EQ(updateFrom(testing::serverUrl("/feed?items=3&first=2")), UPDATE_OK);
    feed.url = testing::serverUrl("/feed?items=6");
    ASSERT_TRUE(updater.Start(&params));
    EXPECT_EQ(nextMessage(), WM_FEED_UPDATE_STARTED);
    EXPECT_EQ(nextMessage(), WM_FEED_UPDATE_DONE);
    auto fetch = updater.TakeResult();
    ASSERT_TRUE(fetch);
    std::vector<std::u16string> guids;
    for (const auto& item : fetch->items)
        guids.push_back(item->guid);
    EXPECT_EQ(guids, (std::vector<std::u16string>{u"message-0", u"message-1", u"message-5"}));
    feed.takeFetch(std::move(*fetch));
    EXPECT_EQ(feed.items.size(), 6u);
}

TEST_F(FeedWorkers, FailuresGiveTheirResults) {
    EXPECT_EQ(updateFrom(testing::refusedUrl()), UPDATE_DOWNLOAD_FAILED);
    EXPECT_TRUE(feed.downloadFailed);
    EXPECT_EQ(updateFrom(testing::serverUrl("/notfound")), UPDATE_DOWNLOAD_FAILED);
    EXPECT_TRUE(feed.downloadFailed);
    EXPECT_EQ(updateFrom(testing::serverUrl("/echo-headers")), UPDATE_NOT_RSS);
    EXPECT_TRUE(feed.notRss);
    EXPECT_FALSE(feed.downloadFailed);
    EXPECT_EQ(updateFrom(u"file:///etc/hosts"), UPDATE_DOWNLOAD_FAILED);
    EXPECT_TRUE(feed.items.empty());
}

TEST_F(FeedWorkers, CancelledUpdateIsResultZeroAndChangesNothing) {
    feed.title = u"kept";
    sink.cancel = true;
    EXPECT_EQ(updateFrom(testing::serverUrl("/feed?items=50")), UPDATE_OK);
    EXPECT_EQ(feed.title, u"kept");
    EXPECT_TRUE(feed.items.empty());
    EXPECT_TRUE(feed.identity.empty());
}

TEST_F(FeedWorkers, SecondStartWhileRunningIsRefused) {
    feed.url = testing::serverUrl("/drip?size=40&interval_ms=50");
    EXPECT_TRUE(updater.Start(&params));
    EXPECT_TRUE(updater.IsRunning());
    EXPECT_FALSE(updater.Start(&params));
    EXPECT_EQ(nextMessage(), WM_FEED_UPDATE_STARTED);
    EXPECT_EQ(nextMessage(), WM_FEED_UPDATE_DONE);
    EXPECT_EQ(nextMessage(300ms), 0u);  // one run, one pair of messages
    updater.Stop();
    EXPECT_EQ(updater.exitCode(), 0u);
}

// However a run fails, it ends with its one final message, and the store read is never replaced.
TEST_F(FeedWorkers, FailedStoreReadStillPostsLoadedWithNothing) {
    const std::string store = "<rss version=\"2.0\"><channel><item><guid>g</guid></item></channel></rss>";
    folder.write("rssitems.xml", store);
    InjectedFault fault(WorkerStage::ReadingStore);
    EXPECT_TRUE(loader.Start(&params));
    EXPECT_EQ(nextMessage(), WM_FEED_LOADED);
    EXPECT_EQ(nextMessage(300ms), 0u);
    auto stored = loader.TakeResult();
    ASSERT_TRUE(stored);
    feed.takeStoredItems(std::move(*stored));
    EXPECT_TRUE(feed.items.empty());
    EXPECT_FALSE(feed.storeItems());
    EXPECT_EQ(folder.read("rssitems.xml"), store);
}

TEST_F(FeedWorkers, FailureWhileDownloadingIsResultTwo) {
    sink.runOutOfMemory = true;
    feed.title = u"kept";
    EXPECT_EQ(updateFrom(testing::serverUrl("/feed?items=5")), UPDATE_DOWNLOAD_FAILED);
    EXPECT_EQ(nextMessage(300ms), 0u);
    EXPECT_EQ(feed.title, u"kept");
    EXPECT_TRUE(feed.items.empty());
    updater.Stop();
    EXPECT_EQ(updater.exitCode(), 0u);  // ended at once: the sink's failed call did not hold Stop up
}

TEST_F(FeedWorkers, FailureWhileReadingIsResultOne) {
    InjectedFault fault(WorkerStage::ReadingFeed);
    feed.title = u"kept";
    EXPECT_EQ(updateFrom(testing::serverUrl("/feed?items=5")), UPDATE_NOT_RSS);
    EXPECT_EQ(nextMessage(300ms), 0u);
    EXPECT_EQ(feed.title, u"kept");
    EXPECT_TRUE(feed.items.empty());
    EXPECT_TRUE(feed.identity.empty());
}

TEST_F(FeedWorkers, StopOfAnIdleWorkerDoesNothing) {
    updater.Stop();
    loader.Stop();
    EXPECT_FALSE(updater.IsRunning());
    EXPECT_FALSE(updater.TakeResult());
}

}  // namespace
}  // namespace corvane
