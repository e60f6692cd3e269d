// update: the update worker run as the news view runs it, with a progress bar on a terminal.
#include <chrono>
#include <cstdio>
#include <mutex>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/OpenFolder.h"
#include "feedstore/ReadState.h"
#include "platform/Utf.h"
#include "platform/WideFormat.h"
#include "retrieval/FeedWorkers.h"
#include "retrieval/InternetSession.h"
#include "retrieval/MessageQueue.h"
#include "retrieval/UrlDownloader.h"

namespace corvane::cli {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The download's event sink, on the worker's thread: draws the progress and answers Ctrl-C as the
// progress window's Cancel button.
class ProgressBar final : public kturldownloader_eventhandler {
  public:
    explicit ProgressBar(bool visible) : visible_(visible) {}

    void OnStart(kturldownloader*) override {}

    bool OnProgress(kturldownloader* downloader) override {
        if (interrupted()) return false;
        if (!visible_) return true;
        std::lock_guard<std::mutex> guard(lock_);
        auto now = Clock::now();
        if (now - lastDrawn_ < 100ms) return true;
        lastDrawn_ = now;
        draw(downloader->received(), downloader->contentLength());
        return true;
    }

    void finish() {
        std::lock_guard<std::mutex> guard(lock_);
        if (visible_ && drawn_) writeError("\r\033[K");
    }

  private:
    void draw(uint32_t received, uint32_t length) {
        std::string line;
        if (length > 0) {
            constexpr int kWidth = 30;
            uint32_t shown = received < length ? received : length;
            int filled = static_cast<int>(uint64_t{shown} * kWidth / length);
            line = "\r[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " +
                   std::to_string(uint64_t{shown} * 100 / length) + "% of " + std::to_string(length) +
                   " bytes";
        } else {
            line = "\rdownloading... " + std::to_string(received) + " bytes";
        }
        writeError(line + "\033[K");
        drawn_ = true;
    }

    const bool visible_;
    std::mutex lock_;
    Clock::time_point lastDrawn_{};
    bool drawn_ = false;
};

}  // namespace

int runUpdate(const Arguments& arguments) {
    if (arguments.flag("--all")) return runUpdateAll(arguments);
    if (arguments.option("--jobs")) throw UsageError("--jobs goes with --all");
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    const retrieval::InternetWarmUp warmUp;
    // The merge needs only the ids in corvane.xml: the store is not read, and new messages are
    // written after the stored ones.
    OpenFolder opened = openNewsFolder(dir, false);
    RSSObject& feed = *opened.feed;
    feed.appendItemsOnly();
    if (!feed.isConfigured())
        throw CommandError(dir + " has no feed URL yet; set one with: corvane config " + dir + " --url URL");
    const bool quiet = arguments.flag("--quiet");
    const size_t before = feed.items.size();

    MessageQueue queue;
    ProgressBar progress(!quiet && errorIsTerminal());
    RSSObjectThreadParams params{&queue, &feed, &progress};
    CRSSObjectUpdateThread worker;
    catchInterrupts();
    if (!worker.Start(&params)) throw CommandError("the update could not be started");

    std::optional<UpdateResult> result;
    Clock::time_point interruptedAt{};
    while (!result) {
        std::optional<PostedMessage> message = queue.next(100ms);
        if (message && message->message == WM_FEED_UPDATE_DONE)
            result = static_cast<UpdateResult>(message->wParam);
        if (!result && interrupted()) {
            // Cancel takes effect at the next chunk; a connection that sends nothing is abandoned.
            if (interruptedAt == Clock::time_point{}) interruptedAt = Clock::now();
            if (Clock::now() - interruptedAt > 1s) break;
        }
    }
    progress.finish();
    std::optional<FeedFetch> fetch;
    if (result) fetch = worker.TakeResult();
    worker.Stop();

    if (!result || !fetch || fetch->cancelled) {
        storeFolder(opened);  // the store as it was, as the view saves it after a cancelled update
        writeError("Update cancelled\n");
        return kExitInterrupted;
    }
    // A 304: nothing changed on the server, and nothing is written.
    const bool unchanged = fetch->notModified && !fetch->movedTo;
    feed.takeFetch(std::move(*fetch));
    if (*result == UPDATE_NOT_RSS)
        throw CommandError(toUtf8(formatWide(u"Requested url is not valid RSS XML: %s", feed.url)));
    if (*result == UPDATE_DOWNLOAD_FAILED)
        throw CommandError(toUtf8(formatWide(u"Unable to download RSS feed: %s", feed.url)));
    if (!unchanged) storeFolder(opened);
    if (!quiet) {
        // The store was not read: what it holds now is counted from the file.
        const StoredCounts stored = countStoredMessages(feed.itemsPath);
        writeError(toUtf8(feed.title.empty() ? feed.url : feed.title) + ": " +
                   std::to_string(feed.items.size() - before) + " new message(s), " +
                   std::to_string(stored.unread) + " unread, " + std::to_string(stored.messages) +
                   " in all\n");
    }
    return 0;
}

}  // namespace corvane::cli
