// The view's side of a running update, modelled without a window: the worker reports progress
// through the relay and a wake-up message, the view's thread shows it and sets Cancel. Run under
// ThreadSanitizer.
#include "view/ProgressRelay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "retrieval/FeedWorkers.h"
#include "retrieval/MessageQueue.h"
#include "retrieval/UrlDownloader.h"
#include "support/TestServer.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
constexpr uint32_t kProgressMessage = 0x8004;

// What the view does on the worker's thread: nothing but the relay and a post.
class ViewSink final : public kturldownloader_eventhandler {
  public:
    ViewSink(ProgressRelay& relay, MessageTarget& target) : relay_(relay), target_(target) {}
    void OnStart(kturldownloader*) override {}
    bool OnProgress(kturldownloader* downloader) override {
        auto report = relay_.report(downloader->received(), downloader->contentLength());
        if (report.notify) target_.post(kProgressMessage, 0, 0);
        return report.goOn;
    }

  private:
    ProgressRelay& relay_;
    MessageTarget& target_;
};

TEST(ProgressRelayThreads, FiguresReachTheViewAndCancelEndsTheDownload) {
    ProgressRelay relay;
    MessageQueue queue;
    ViewSink sink(relay, queue);
    RSSObject feed;
    feed.url = testing::serverUrl("/drip?size=400&interval_ms=10");
    RSSObjectThreadParams params{&queue, &feed, &sink};
    CRSSObjectUpdateThread updater;
    ASSERT_TRUE(updater.Start(&params));

    uint32_t shown = 0;
    int wakeUps = 0;
    std::optional<PostedMessage> done;
    const auto deadline = Clock::now() + 30s;
    while (!done && Clock::now() < deadline) {
        auto message = queue.next(100ms);
        if (!message) continue;
        if (message->message == WM_FEED_UPDATE_DONE) done = message;
        if (message->message != kProgressMessage) continue;
        ++wakeUps;
        if (auto figures = relay.take()) {
            EXPECT_GE(figures->received, shown);
            EXPECT_EQ(figures->contentLength, 400u);
            shown = figures->received;
        }
        if (shown >= 20) relay.cancel();
    }
    ASSERT_TRUE(done);
    EXPECT_EQ(done->wParam, UPDATE_OK);  // a cancelled update is no failure
    auto fetch = updater.TakeResult();
    ASSERT_TRUE(fetch);
    EXPECT_TRUE(fetch->cancelled);
    EXPECT_GE(shown, 20u);
    EXPECT_LT(shown, 400u);
    EXPECT_GT(wakeUps, 0);
    updater.Stop();
}

TEST(ProgressRelayThreads, OneWakeUpCoversEveryReportUntilTaken) {
    ProgressRelay relay;
    std::atomic<int> notified{0};
    std::thread worker([&] {
        for (uint32_t n = 1; n <= 10000; ++n)
            if (relay.report(n, 10000).notify) ++notified;
    });
    uint32_t last = 0;
    int takes = 0;
    while (last < 10000) {
        if (auto figures = relay.take()) {
            EXPECT_GT(figures->received, last);
            last = figures->received;
            ++takes;
        }
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_LE(notified.load(), takes + 1);
    relay.cancel();
    EXPECT_FALSE(relay.report(1, 1).goOn);
    relay.reset();
    EXPECT_TRUE(relay.report(1, 1).goOn);
}

TEST(ProgressRelayThreads, LetGoReturnsAtOnceAndTheViewIsNeverReachedAgain) {
    auto relay = std::make_unique<ProgressRelay>();
    auto queue = std::make_unique<MessageQueue>();
    auto sink = std::make_unique<ViewSink>(*relay, *queue);
    RSSObject feed;
    // Sends a little, then stalls: the worker is blocked in a read as the window closes.
    feed.url = testing::serverUrl("/stall?after=100&seconds=3");
    RSSObjectThreadParams params{queue.get(), &feed, sink.get()};
    auto updater = std::make_unique<CRSSObjectUpdateThread>();
    ASSERT_TRUE(updater->Start(&params));
    auto started = queue->next(10s);
    ASSERT_TRUE(started);
    std::this_thread::sleep_for(200ms);

    auto before = Clock::now();
    updater->LetGo();
    EXPECT_LT(Clock::now() - before, 500ms);
    // Everything the view gave the worker goes at once; ASan and TSan see any late use.
    sink.reset();
    relay.reset();
    queue.reset();
    updater.reset();
    std::this_thread::sleep_for(3500ms);  // the stalled server lets go; the thread ends on its own
}

}  // namespace
}  // namespace corvane
