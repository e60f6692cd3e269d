#include "retrieval/FeedDownload.h"

#include "feedstore/FeedDiscovery.h"
#include "feedstore/FeedErrors.h"
#include "platform/Trace.h"
#include "retrieval/InternetSession.h"
#include "retrieval/WorkerFault.h"
#include "retrieval/WorkerMessages.h"

namespace corvane {

namespace {

// The download and read; where the document is an HTML page that names its feed and
// `followPageLink` holds, that feed's (one hop: a page found there is not followed on).
Status fetchFeed(std::u16string_view url, kturldownloader_eventhandler* sink, std::stop_token stop,
                 FeedFetch& fetch, const KnownItemIds* known, const FeedValidators& validators,
                 bool followPageLink) {
    // Each step ends its own failures, so the caller learns which one failed: no memory for the
    // body is a failed download, no memory to read it a document that could not be read.
    kturldownloader downloader;
    kturldownloader_job* job = nullptr;
    Status status = kStatusFail;
    try {
        job = downloader.addUrl(std::u16string(url));
        job->ifNoneMatch = validators.etag;
        job->ifModifiedSince = validators.lastModified;
        status = downloader.download(sink, stop);
    } catch (const std::exception& error) {
        traceError(u"Download of %s ended by an error: %s", statusOf(error), url, error.what());
        fetch = FeedFetch{};
        fetch.downloadFailed = true;
        return kStatusFail;
    }
    if (status == kStatusCancelled) {
        fetch.cancelled = true;
    } else if (status == kStatusFail || !job->streamReady) {
        fetch.downloadFailed = true;
    } else if (job->statusCode == 304) {
        fetch.notModified = true;
        if (!job->permanentUrl.empty()) fetch.movedTo = job->permanentUrl;
    } else {
        if (!job->etag.empty()) fetch.etag = job->etag;
        if (!job->lastModified.empty()) fetch.lastModified = job->lastModified;
        if (!job->permanentUrl.empty()) fetch.movedTo = job->permanentUrl;
        try {
            failIfInjected(WorkerStage::ReadingFeed);
            auto stopRequested = [&stop] { return stop.stop_requested(); };
            readFeedDocument(job->bytes(), url, fetch, stopRequested, known);
            if (fetch.notRss && followPageLink) {
                if (std::optional<std::u16string> feedUrl = discoverFeedLink(job->bytes(), url);
                    feedUrl && *feedUrl != url && retrieval::isWebUrl(*feedUrl)) {
                    trace(u"%s is a page whose feed is %s", url, *feedUrl);
                    // The page's validators say nothing of the feed: it is asked for whole.
                    FeedFetch found;
                    status = fetchFeed(*feedUrl, sink, stop, found, known, FeedValidators{}, false);
                    if (!found.cancelled && !found.downloadFailed && !found.notRss)
                        found.discoveredUrl = *feedUrl;
                    fetch = std::move(found);
                }
            }
        } catch (const std::exception& error) {
            traceError(u"Reading %s ended by an error: %s", statusOf(error), url, error.what());
            fetch = FeedFetch{};
            fetch.notRss = true;
        }
    }
    return status;
}

}  // namespace

Status downloadFeed(std::u16string_view url, kturldownloader_eventhandler* sink, std::stop_token stop,
                    FeedFetch& fetch, const KnownItemIds* known) {
    return fetchFeed(url, sink, stop, fetch, known, FeedValidators{}, true);
}

Status downloadFeed(std::u16string_view url, kturldownloader_eventhandler* sink, std::stop_token stop,
                    FeedFetch& fetch, const KnownItemIds* known, const FeedValidators& validators) {
    return fetchFeed(url, sink, stop, fetch, known, validators, true);
}

}  // namespace corvane
