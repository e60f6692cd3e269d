#include "retrieval/FeedWorkers.h"

#include <utility>

#include "feedstore/FeedErrors.h"
#include "platform/ComApartment.h"
#include "platform/FileProbe.h"
#include "platform/Trace.h"
#include "retrieval/FeedDownload.h"
#include "retrieval/WorkerFault.h"

namespace corvane {

UpdateResult updateResultOf(const FeedFetch& fetch) {
    if (fetch.downloadFailed) return UPDATE_DOWNLOAD_FAILED;
    if (fetch.notRss) return UPDATE_NOT_RSS;
    return UPDATE_OK;
}

WorkerBody CRSSObjectInitializeThread::Run(RSSObjectThreadParams* param) {
    auto outcome = std::make_shared<Outcome>();
    outcome_ = outcome;
    return [outcome, path = param->feed->itemsPath](WorkerContext& context) -> uint32_t {
        StoredItems items;
        try {
            ComApartment apartment;
            failIfInjected(WorkerStage::ReadingStore);
            items = loadStoredItems(path);
        } catch (const std::exception& error) {
            // Nothing was read, so nothing may replace the store in this session.
            traceError(u"Reading %s ended by an error: %s", statusOf(error), path, error.what());
            items = StoredItems{};
            items.state = StoreFileState::Locked;
        }
        {
            std::lock_guard<std::mutex> guard(outcome->lock);
            outcome->items = std::move(items);
        }
        context.postLast(WM_FEED_LOADED);
        return 0;
    };
}

std::optional<StoredItems> CRSSObjectInitializeThread::TakeResult() {
    if (!outcome_) return std::nullopt;
    std::lock_guard<std::mutex> guard(outcome_->lock);
    return std::exchange(outcome_->items, std::nullopt);
}

WorkerBody CRSSObjectUpdateThread::Run(RSSObjectThreadParams* param) {
    auto outcome = std::make_shared<Outcome>();
    outcome_ = outcome;
    // The URL and the known ids are copied here, on the view's thread, so the options may change
    // the one and the view may take items in meanwhile.
    // The server's validators are sent only while the item store holds what they stand for: a store
    // that is missing or unreadable must get the whole document again.
    // An update that only appends never reads the store: there the store must at least be there.
    FeedValidators validators;
    const RSSObject& feed = *param->feed;
    const bool storeHeld = feed.itemsState == StoreFileState::Read ||
                           (feed.baseline.appendOnly && probeFile(feed.itemsPath) == FileProbe::Readable);
    if (storeHeld && feed.unstoredIds.empty() && feed.getParam(kValidatorsUrlParam, u"") == feed.url)
        validators = {param->feed->getParam(kETagParam, u""), param->feed->getParam(kLastModifiedParam, u"")};
    return [outcome, url = param->feed->url, known = param->feed->knownIds(),
            validators = std::move(validators)](WorkerContext& context) -> uint32_t {
        FeedFetch fetch;
        try {
            ComApartment apartment;
            context.post(WM_FEED_UPDATE_STARTED);
            downloadFeed(url, context.sink(), context.stopToken(), fetch, known.get(), validators);
        } catch (const std::exception& error) {
            // downloadFeed ends the failures of its own steps; what is left failed before a download.
            traceError(u"Update of %s ended by an error: %s", statusOf(error), url, error.what());
            fetch = FeedFetch{};
            fetch.downloadFailed = true;
        }
        UpdateResult result = updateResultOf(fetch);
        {
            std::lock_guard<std::mutex> guard(outcome->lock);
            outcome->fetch = std::move(fetch);
        }
        context.postLast(WM_FEED_UPDATE_DONE, result);
        return 0;
    };
}

std::optional<FeedFetch> CRSSObjectUpdateThread::TakeResult() {
    if (!outcome_) return std::nullopt;
    std::lock_guard<std::mutex> guard(outcome_->lock);
    return std::exchange(outcome_->fetch, std::nullopt);
}

}  // namespace corvane
