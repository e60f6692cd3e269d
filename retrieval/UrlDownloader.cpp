#include "retrieval/UrlDownloader.h"

#include <algorithm>
#include <optional>

#include "platform/Trace.h"
#include "retrieval/InternetSession.h"

namespace corvane {
namespace {

constexpr char16_t kAgent[] = u"Corvane";

Status stopped() {
    trace(u"Download stopped");
    return kStatusCancelled;
}

}  // namespace

kturldownloader_job::kturldownloader_job(std::u16string url)
    : url(std::move(url)), stream(retrieval::createDownloadStream()), streamReady(stream != nullptr) {}

std::span<const uint8_t> kturldownloader_job::bytes() const {
    return streamReady ? stream->bytes() : std::span<const uint8_t>();
}

kturldownloader_job* kturldownloader::addUrl(std::u16string url) {
    jobs_.push_back(std::make_unique<kturldownloader_job>(std::move(url)));
    return jobs_.back().get();
}

Status kturldownloader::download(kturldownloader_eventhandler* sink, std::stop_token stop) {
    uint32_t error = 0;
    const std::unique_ptr<retrieval::InternetSession> session =
        retrieval::InternetSession::open(kAgent, error);
    if (!session) {
        traceError(u"InternetOpen failed", error);
        return kStatusFail;
    }
    // Declared after the session, so it is gone (and any abort under way has finished) before the
    // session closes.
    std::stop_callback abortOnStop(stop, [&session] { session->abort(); });
    if (stop.stop_requested()) return stopped();

    if (sink) sink->OnStart(this);

    std::vector<uint8_t> buffer(kReadBufferSize);
    for (const auto& job : jobs_) {
        currentUrl_ = job->url;
        std::unique_ptr<retrieval::InternetRequest> request =
            session->openConditional(job->url, {job->ifNoneMatch, job->ifModifiedSince}, error);
        if (stop.stop_requested()) return stopped();
        if (!request) {
            traceError(u"InternetOpenUrl( %s ) failed", error, job->url);
            return kStatusFail;
        }
        job->statusCode = request->statusCode();
        job->etag = request->responseHeader("ETag");
        job->lastModified = request->responseHeader("Last-Modified");
        job->permanentUrl = request->permanentUrl();
        if (!job->permanentUrl.empty()) trace(u"%s moved permanently to %s", job->url, job->permanentUrl);
        if (job->statusCode == 304) {
            trace(u"%s not modified", job->url);
            continue;
        }

        // An error page is no feed: the download failed, whatever its body says.
        if (job->statusCode >= 400) {
            traceError(u"InternetOpenUrl( %s ) answered HTTP status %u", static_cast<uint32_t>(kStatusFail),
                       job->url, job->statusCode);
            return kStatusFail;
        }
        std::optional<uint32_t> length = request->contentLength();
        if (length) contentLength_ = *length;
        // Room for the announced body at once, never beyond what the run may still receive: a large
        // feed is then not copied over and over as it grows.
        if (length && job->streamReady)
            job->stream->reserve(std::min<size_t>(*length, sizeLimit_ - received_));
        trace(u"downloading file %d bytes", length.value_or(0));

        for (;;) {
            size_t count = 0;
            bool ok = request->read(std::span(buffer.data(), kReadSize), count, error);
            if (stop.stop_requested()) return stopped();
            if (!ok) {
                traceError(u"InternetReadFile( %s ) failed", error, job->url);
                return kStatusFail;
            }
            if (count == 0) break;
            if (count > sizeLimit_ - received_) {
                traceError(u"Download of %s stopped: more than %u bytes", static_cast<uint32_t>(kStatusFail),
                           job->url, sizeLimit_);
                return kStatusFail;
            }
            auto chunk = std::span<const uint8_t>(buffer.data(), count);
            if (job->streamReady) trace(u"Written from internet %d", job->stream->write(chunk));
            received_ += static_cast<uint32_t>(count);
            if (stop.stop_requested()) return stopped();
            if (sink && !sink->OnProgress(this)) return kStatusCancelled;
        }
    }
    return kStatusOk;
}

}  // namespace corvane
