#include "retrieval/FeedFetch.h"

#include "retrieval/WorkerMessages.h"

namespace corvane {

Status downloadFeed(std::u16string_view url, kturldownloader_eventhandler* sink, std::stop_token stop,
                    FeedFetch& fetch) {
    kturldownloader downloader;
    kturldownloader_job* job = downloader.addUrl(std::u16string(url));
    Status status = downloader.download(sink, stop);
    if (status == kStatusCancelled) {
        fetch.cancelled = true;
    } else if (status == kStatusFail || !job->streamReady) {
        fetch.downloadFailed = true;
    } else {
        readFeedDocument(job->bytes(), url, fetch, [&stop] { return stop.stop_requested(); });
    }
    return status;
}

bool RSSObject::update(std::u16string_view feedUrl, RSSObjectThreadParams* params) {
    FeedFetch fetch;
    Status status = downloadFeed(feedUrl, params ? params->handler : nullptr, {}, fetch);
    takeFetch(std::move(fetch));
    return status != kStatusCancelled && status != kStatusFail;
}

}  // namespace corvane
