#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"
#include "retrieval/DownloadStream.h"

namespace corvane {

class kturldownloader;

// Told of a download run's start and of every chunk read; called on the thread that runs it.
class kturldownloader_eventhandler {
  public:
    // Once per run, after the internet session is open and before the first URL is opened.
    virtual void OnStart(kturldownloader* downloader) = 0;
    // After every chunk read (and written to its job's stream); false cancels the run.
    virtual bool OnProgress(kturldownloader* downloader) = 0;

  protected:
    ~kturldownloader_eventhandler() = default;
};

// One URL and the stream that receives its bytes; owned by the downloader.
class kturldownloader_job {
  public:
    explicit kturldownloader_job(std::u16string url);

    const std::u16string url;
    // Null (and streamReady false) when the stream could not be made; the bytes are then counted
    // but kept nowhere.
    const std::unique_ptr<retrieval::DownloadStream> stream;
    const bool streamReady;

    // The bytes downloaded so far, contiguous (empty without a stream): what the feed parser loads.
    // Valid until the next write into the stream or the end of the downloader.
    std::span<const uint8_t> bytes() const;

    // Sent with the request when not empty: the validators the feed's server last gave.
    std::u16string ifNoneMatch;
    std::u16string ifModifiedSince;
    // What the final response said: its status (0 unknown), its validators, and where the URL was
    // moved for good (empty unless every redirect on the way was permanent). A 304 has no body.
    uint32_t statusCode = 0;
    std::u16string etag;
    std::u16string lastModified;
    std::u16string permanentUrl;
};

// Fetches one or more URLs, in order, into in-memory streams on the calling thread. Used by one
// thread; only the stop token may be signalled from another.
class kturldownloader {
  public:
    static constexpr size_t kReadBufferSize = 32768;
    // One less than the buffer, as the read loop has always asked for.
    static constexpr size_t kReadSize = kReadBufferSize - 1;
    // A run that would receive more than this fails like a failed read.
    static constexpr uint32_t kDefaultSizeLimit = 256u * 1024 * 1024;

    kturldownloader() = default;
    kturldownloader(const kturldownloader&) = delete;
    kturldownloader& operator=(const kturldownloader&) = delete;

    // Appends a job for the URL. The downloader keeps it; the pointer stays valid as long as it.
    kturldownloader_job* addUrl(std::u16string url);

    // Fetches every job in order. kStatusOk when all were read to their end; kStatusFail when the
    // session, a URL or a read failed, or the run went beyond the size limit; kStatusCancelled when
    // the sink (may be null) cancelled or `stop` was requested. A stop request makes a blocked open
    // or read give up where the platform allows it (natively always; under Wine's WinINet only
    // when the server next sends or closes), and once seen, the sink is not called again.
    Status download(kturldownloader_eventhandler* sink, std::stop_token stop = {});

    // Total bytes a run may receive over all its URLs.
    void setSizeLimit(uint32_t bytes) { sizeLimit_ = bytes; }

    // Length the server announced for the URL being fetched; kept from the last URL that had one.
    uint32_t contentLength() const { return contentLength_; }
    // Bytes read so far in the run, over all URLs.
    uint32_t received() const { return received_; }
    const std::u16string& currentUrl() const { return currentUrl_; }
    const std::vector<std::unique_ptr<kturldownloader_job>>& jobs() const { return jobs_; }

  private:
    uint32_t contentLength_ = 0;
    uint32_t received_ = 0;
    uint32_t sizeLimit_ = kDefaultSizeLimit;
    std::u16string currentUrl_;
    std::vector<std::unique_ptr<kturldownloader_job>> jobs_;
};

}  // namespace corvane
