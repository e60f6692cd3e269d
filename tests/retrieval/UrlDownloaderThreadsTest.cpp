#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stop_token>
#include <string>
#include <thread>

#include "retrieval/InternetSession.h"
#include "retrieval/UrlDownloader.h"
#include "support/TestServer.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Natively a stop ends a blocked call at once. Wine's WinINet stays in a blocked open or read until
// the server sends or closes, so there the stalling server lets go after a few seconds and the
// test asks only that the run then ends as cancelled.
#ifdef _WIN32
constexpr int kStallSeconds = 2;
constexpr auto kPromptStop = std::chrono::seconds(kStallSeconds) + 3s;
#else
constexpr int kStallSeconds = 30;
constexpr auto kPromptStop = 1s;
#endif

// Tells the test thread when the run has reached the sink.
class SignallingSink : public kturldownloader_eventhandler {
  public:
    void OnStart(kturldownloader*) override { started.set_value(); }
    bool OnProgress(kturldownloader*) override {
        if (progressCalls.fetch_add(1) == 0) firstProgress.set_value();
        return true;
    }

    std::promise<void> started;
    std::promise<void> firstProgress;
    std::atomic<int> progressCalls{0};
};

struct StoppedRun {
    Status result = kStatusOk;
    Clock::duration stopToReturn{};
};

// Runs a download of `url` on another thread, requests a stop once `ready` (a future of the sink)
// is set and a little time has passed for the call to block, and measures how long the run took
// to end after that.
StoppedRun stopRunWhen(const std::u16string& url, SignallingSink& sink, std::future<void> ready) {
    kturldownloader downloader;
    downloader.addUrl(url);
    std::stop_source stop;
    std::promise<Status> result;
    std::future<Status> done = result.get_future();
    std::thread worker([&] { result.set_value(downloader.download(&sink, stop.get_token())); });

    StoppedRun run;
    if (ready.wait_for(10s) != std::future_status::ready) {
        ADD_FAILURE() << "the run never reached the sink";
    } else {
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(done.wait_for(0s), std::future_status::timeout) << "the run ended before the stop";
    }
    Clock::time_point requested = Clock::now();
    stop.request_stop();
    // The thread that stops (the view's) must never wait for the blocked call.
    EXPECT_LT(Clock::now() - requested, 500ms);
    done.wait();
    run.stopToReturn = Clock::now() - requested;
    run.result = done.get();
    worker.join();
    return run;
}

TEST(UrlDownloaderThreads, StopEndsAReadStalledOnTheServer) {
    SignallingSink sink;
    StoppedRun run =
        stopRunWhen(testing::serverUrl("/stall?after=100&seconds=" + std::to_string(kStallSeconds)), sink,
                    sink.firstProgress.get_future());
    EXPECT_EQ(run.result, kStatusCancelled);
    EXPECT_LT(run.stopToReturn, kPromptStop);
    EXPECT_EQ(sink.progressCalls.load(), 1);
}

TEST(UrlDownloaderThreads, StopEndsAnOpenWaitingForTheAnswer) {
    SignallingSink sink;
    StoppedRun run =
        stopRunWhen(testing::serverUrl("/stall?headers=0&seconds=" + std::to_string(kStallSeconds)), sink,
                    sink.started.get_future());
    EXPECT_EQ(run.result, kStatusCancelled);
    EXPECT_LT(run.stopToReturn, kPromptStop);
    EXPECT_EQ(sink.progressCalls.load(), 0);
}

// A server that keeps sending: the stop is seen at the next chunk on every platform.
TEST(UrlDownloaderThreads, StopDuringASlowBodyCancelsAtTheNextChunk) {
    SignallingSink sink;
    StoppedRun run = stopRunWhen(testing::serverUrl("/drip?size=200&interval_ms=50"), sink,
                                 sink.firstProgress.get_future());
    EXPECT_EQ(run.result, kStatusCancelled);
    EXPECT_LT(run.stopToReturn, 1s);
    EXPECT_LT(sink.progressCalls.load(), 200);
}

// The internet layer readied on a thread of its own while downloads start on two others: each of
// them waits for it and gets its bytes, and a warm-up nobody uses ends without a word.
TEST(UrlDownloaderThreads, DownloadsStartedDuringTheWarmUpWaitForIt) {
    { const retrieval::InternetWarmUp unused; }
    const retrieval::InternetWarmUp warmUp;
    auto fetch = [] {
        kturldownloader downloader;
        downloader.addUrl(testing::serverUrl("/body?size=5000"));
        const Status result = downloader.download(nullptr, std::stop_token());
        return result == kStatusOk ? downloader.received() : 0u;
    };
    std::future<uint32_t> first = std::async(std::launch::async, fetch);
    std::future<uint32_t> second = std::async(std::launch::async, fetch);
    EXPECT_EQ(first.get(), 5000u);
    EXPECT_EQ(second.get(), 5000u);
}

}  // namespace
}  // namespace corvane
