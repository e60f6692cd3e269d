#include "retrieval/FeedDownload.h"

namespace corvane {

Status downloadFeed(std::u16string_view url, kturldownloader_eventhandler* sink, std::stop_token stop,
                    FeedFetch& fetch, const KnownItemIds* known) {
    kturldownloader downloader;
    kturldownloader_job* job = downloader.addUrl(std::u16string(url));
    Status status = downloader.download(sink, stop);
    if (status == kStatusCancelled) {
        fetch.cancelled = true;
    } else if (status == kStatusFail || !job->streamReady) {
        fetch.downloadFailed = true;
    } else {
        auto stopRequested = [&stop] { return stop.stop_requested(); };
        readFeedDocument(job->bytes(), url, fetch, stopRequested, known);
    }
    return status;
}

}  // namespace corvane
