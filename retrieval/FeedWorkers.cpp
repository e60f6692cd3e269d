#include "retrieval/FeedWorkers.h"

#include <utility>

#include "platform/ComApartment.h"
#include "retrieval/FeedDownload.h"

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
        ComApartment apartment;
        StoredItems items = loadStoredItems(path);
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
    return [outcome, url = param->feed->url,
            known = param->feed->knownIds()](WorkerContext& context) -> uint32_t {
        ComApartment apartment;
        context.post(WM_FEED_UPDATE_STARTED);
        FeedFetch fetch;
        downloadFeed(url, context.sink(), context.stopToken(), fetch, known.get());
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
