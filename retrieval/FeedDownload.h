#pragma once

#include <stop_token>
#include <string_view>

#include "feedstore/FeedUpdate.h"
#include "platform/Status.h"
#include "retrieval/UrlDownloader.h"

namespace corvane {

// Downloads the feed at `url` and reads it into `fetch` (cancelled, downloadFailed or notRss when it
// went wrong). `stop` ends the download and the read early; the sink may be null. Items whose id
// `known` holds may be left out (see readFeedDocument). Returns the download's status: kStatusOk,
// kStatusFail or kStatusCancelled.
Status downloadFeed(std::u16string_view url, kturldownloader_eventhandler* sink, std::stop_token stop,
                    FeedFetch& fetch, const KnownItemIds* known = nullptr);

// The validators a feed's update sends (see RSSObject's etag and lastModified params).
struct FeedValidators {
    std::u16string etag;
    std::u16string lastModified;
};
// downloadFeed, sent as a conditional request: a 304 ends with `notModified` and nothing read.
Status downloadFeed(std::u16string_view url, kturldownloader_eventhandler* sink, std::stop_token stop,
                    FeedFetch& fetch, const KnownItemIds* known, const FeedValidators& validators);

}  // namespace corvane
