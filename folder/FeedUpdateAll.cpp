#include "folder/FeedUpdateAll.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "feedstore/RSSObject.h"
#include "folder/FeedTree.h"
#include "folder/FolderSystem.h"
#include "folder/NewsFolder.h"
#include "platform/ComApartment.h"
#include "platform/Status.h"
#include "platform/Trace.h"
#include "platform/WideFormat.h"
#include "retrieval/FeedWorkers.h"
#include "retrieval/MessageQueue.h"

namespace corvane::folder {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

FeedUpdateOutcome failed(const UpdateTarget& target, std::u16string failure) {
    FeedUpdateOutcome outcome;
    outcome.target = target;
    outcome.failure = std::move(failure);
    return outcome;
}

}  // namespace

std::vector<UpdateTarget> newsFoldersBelow(std::u16string_view dir) {
    std::vector<UpdateTarget> targets;
    forEachNewsFolder(scanFeedTree(dir), [&](const FeedTreeEntry& entry, const std::u16string& relative) {
        targets.push_back({entry.path, relative});
    });
    return targets;
}

FeedUpdateOutcome updateNewsFolder(const UpdateTarget& target, const std::function<bool()>& stopRequested) {
    try {
        ComApartment apartment;
        std::unique_ptr<RSSObject> feed =
            loadRSSObject(joinPath(target.path, kSettingsFile), joinPath(target.path, kItemsFile));
        if (!feed) return failed(target, u"out of memory");
        if (feed->settingsState == StoreFileState::Unreadable ||
            feed->settingsState == StoreFileState::Locked)
            return failed(target, feed->settingsPath + u" cannot be read; nothing was changed");
        if (!feed->isConfigured()) return failed(target, u"no feed URL yet");
        // As `corvane update`: the merge needs only the ids, and new messages are appended.
        feed->appendItemsOnly();
        const size_t before = feed->items.size();

        MessageQueue queue;
        RSSObjectThreadParams params{&queue, feed.get(), nullptr};
        CRSSObjectUpdateThread worker;
        if (!worker.Start(&params)) return failed(target, u"the update could not be started");
        std::optional<UpdateResult> result;
        Clock::time_point stopSeen{};
        while (!result) {
            std::optional<PostedMessage> message = queue.next(100ms);
            if (message && message->message == WM_FEED_UPDATE_DONE)
                result = static_cast<UpdateResult>(message->wParam);
            if (result || !stopRequested || !stopRequested()) continue;
            if (stopSeen == Clock::time_point{}) stopSeen = Clock::now();
            if (Clock::now() - stopSeen >= kUpdateStopGrace) break;
        }
        FeedUpdateOutcome outcome;
        outcome.target = target;
        std::optional<FeedFetch> fetch;
        if (result) fetch = worker.TakeResult();
        // A download that still hangs is not waited for: its thread ends by itself.
        worker.LetGo();
        if (!result || !fetch || fetch->cancelled) {
            outcome.ending = UpdateEnding::Cancelled;
            return outcome;
        }
        // Nothing changed on the server: nothing is written.
        const bool unchanged = fetch->notModified && !fetch->movedTo;
        feed->takeFetch(std::move(*fetch));
        if (*result == UPDATE_NOT_RSS)
            return failed(target, formatWide(u"Requested url is not valid RSS XML: %s", feed->url));
        if (*result == UPDATE_DOWNLOAD_FAILED)
            return failed(target, formatWide(u"Unable to download RSS feed: %s", feed->url));
        outcome.ending = UpdateEnding::Updated;
        if (unchanged) return outcome;
        // Under the folder's lock, the items before corvane.xml, whose validators must not stand for
        // messages that are not stored.
        if (!feed->storeFeed()) return failed(target, u"could not write the files of " + target.path);
        outcome.newMessages = feed->items.size() - before;
        return outcome;
    } catch (const std::exception& error) {
        traceError(u"The update of %s ended by an error: %s", kStatusFail, target.path, error.what());
        return failed(target, u"the update ended by an error");
    }
}

std::vector<FeedUpdateOutcome> updateAll(const std::vector<UpdateTarget>& targets, size_t jobs,
                                         const std::function<bool()>& stopRequested,
                                         const UpdateAllObserver& observer) {
    std::vector<FeedUpdateOutcome> outcomes(targets.size());
    for (size_t i = 0; i < targets.size(); ++i) {
        outcomes[i].target = targets[i];
        outcomes[i].ending = UpdateEnding::Cancelled;
    }
    std::atomic<size_t> next{0};
    std::mutex reporting;
    size_t started = 0;
    size_t ended = 0;
    auto slot = [&] {
        for (;;) {
            if (stopRequested && stopRequested()) return;
            const size_t index = next.fetch_add(1);
            if (index >= targets.size()) return;
            {
                std::lock_guard<std::mutex> guard(reporting);
                ++started;
                if (observer.started) observer.started(targets[index], started, targets.size());
            }
            FeedUpdateOutcome outcome = updateNewsFolder(targets[index], stopRequested);
            std::lock_guard<std::mutex> guard(reporting);
            outcomes[index] = std::move(outcome);
            ++ended;
            if (observer.ended) observer.ended(outcomes[index], ended, targets.size());
        }
    };
    jobs = std::max<size_t>(1, std::min(jobs, targets.size()));
    std::vector<std::thread> threads;
    try {
        for (size_t i = 1; i < jobs; ++i)
            threads.emplace_back(slot);
    } catch (const std::system_error& error) {
        // Fewer threads than asked for only makes it slower.
        traceError(u"Only %d of the update threads could be made: %s", kStatusFail,
                   static_cast<int32_t>(threads.size() + 1), error.what());
    }
    slot();
    for (std::thread& thread : threads)
        thread.join();
    return outcomes;
}

}  // namespace corvane::folder
