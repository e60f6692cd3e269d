#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Trace.h"
#include "platform/Utf.h"
#include "retrieval/CurlLibrary.h"
#include "retrieval/InternetSession.h"

// The libcurl backend. Each request is an easy handle driven through the session's multi handle on
// the calling thread, so a read returns as soon as bytes have arrived and abort() only has to wake
// the wait (curl_multi_wakeup is safe from any thread).
namespace corvane::retrieval {
namespace {

// How long one wait for the socket may last before the abort flag is looked at again; the wake-up
// normally ends it at once.
constexpr int kPollMilliseconds = 1000;

// Only reached once open() has found the library.
const CurlLibrary& curl() {
    return *curlLibrary();
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

class CurlSession;

class CurlRequest final : public InternetRequest {
  public:
    CurlRequest(CurlSession& session, CURL* easy, curl_slist* headers)
        : session_(session), easy_(easy), headers_(headers) {}
    ~CurlRequest() override;

    // Sends the request and waits for the final response's headers (or the end of the transfer).
    bool start(const std::string& url, uint32_t& error);

    std::optional<uint32_t> contentLength() override {
        curl_off_t length = -1;
        if (curl().easyGetinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK ||
            length < 0 || length > std::numeric_limits<uint32_t>::max())
            return std::nullopt;
        return static_cast<uint32_t>(length);
    }

    uint32_t statusCode() override {
        long status = 0;
        curl().easyGetinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
        return status > 0 ? static_cast<uint32_t>(status) : 0;
    }

    std::u16string responseHeader(std::string_view name) override {
        for (const auto& [key, value] : finalHeaders_)
            if (key.size() == name.size() && startsWithNoCase(key, name)) return fromUtf8(value);
        return {};
    }

    std::u16string permanentUrl() override {
        if (redirects_ == 0 || !allPermanent_) return {};
        const char* url = nullptr;
        curl().easyGetinfo(easy_, CURLINFO_EFFECTIVE_URL, &url);
        return url ? fromUtf8(url) : std::u16string();
    }

    bool read(std::span<uint8_t> buffer, size_t& count, uint32_t& error) override {
        count = 0;
        if (!pump([this] { return pendingSize() > 0; }, error)) return false;
        count = std::min(buffer.size(), pendingSize());
        if (count == 0) return true;
        std::memcpy(buffer.data(), pending_.data() + offset_, count);
        offset_ += count;
        if (offset_ == pending_.size()) {
            pending_.clear();
            offset_ = 0;
        }
        return true;
    }

  private:
    // No exception may pass through libcurl: a failed append ends the transfer as a write error.
    static size_t onBody(char* data, size_t size, size_t count, void* self) noexcept {
        auto* request = static_cast<CurlRequest*>(self);
        try {
            // As bytes, so that the append is one block copy rather than a conversion of each char.
            const auto* bytes = reinterpret_cast<const uint8_t*>(data);
            request->pending_.insert(request->pending_.end(), bytes, bytes + size * count);
        } catch (const std::bad_alloc&) {
            return 0;
        }
        return size * count;
    }

    // The headers of every response pass here, redirects and interim answers included; the last
    // block is the one whose status is neither 1xx nor a 3xx with somewhere to go.
    static size_t onHeader(char* data, size_t size, size_t count, void* self) {
        auto* request = static_cast<CurlRequest*>(self);
        std::string_view line(data, size * count);
        if (startsWithNoCase(line, "HTTP/")) {
            request->blockHasLocation_ = false;
            request->finalHeaders_.clear();
        } else if (startsWithNoCase(line, "Location:")) {
            request->blockHasLocation_ = true;
        } else if (line == "\r\n" || line == "\n") {
            long status = 0;
            curl().easyGetinfo(request->easy_, CURLINFO_RESPONSE_CODE, &status);
            bool interim = status >= 100 && status < 200;
            bool redirect = status >= 300 && status < 400 && request->blockHasLocation_;
            if (redirect) {
                ++request->redirects_;
                if (status != 301 && status != 308) request->allPermanent_ = false;
            }
            if (!interim && !redirect) request->headersDone_ = true;
        } else if (size_t colon = line.find(':'); colon != std::string_view::npos) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
                value.remove_prefix(1);
            while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
                value.remove_suffix(1);
            try {
                request->finalHeaders_.emplace_back(std::string(line.substr(0, colon)), std::string(value));
            } catch (const std::bad_alloc&) {
                return 0;  // no exception may pass through libcurl
            }
        }
        return size * count;
    }

    size_t pendingSize() const { return pending_.size() - offset_; }

    // Drives the transfer until `ready` holds or it has ended. False with `error` set when it
    // failed or was aborted, once everything that did arrive has been handed out.
    template <class Ready>
    bool pump(Ready ready, uint32_t& error);

    CurlSession& session_;
    CURL* easy_;
    curl_slist* headers_;
    char errorText_[CURL_ERROR_SIZE] = {};
    bool added_ = false;
    bool headersDone_ = false;
    bool blockHasLocation_ = false;
    // The headers of the response block being read, the final one's once the transfer is past them.
    std::vector<std::pair<std::string, std::string>> finalHeaders_;
    int redirects_ = 0;
    bool allPermanent_ = true;
    bool finished_ = false;
    CURLcode result_ = CURLE_OK;
    std::vector<uint8_t> pending_;
    size_t offset_ = 0;
};

class CurlSession final : public InternetSession {
  public:
    CurlSession(CURLM* multi, std::string agent) : multi_(multi), agent_(std::move(agent)) {}
    ~CurlSession() override { curl().multiCleanup(multi_); }

    std::unique_ptr<InternetRequest> openUrl(std::u16string_view url, uint32_t& error) override {
        return openConditional(url, {}, error);
    }

    std::unique_ptr<InternetRequest> openConditional(std::u16string_view url,
                                                     const RequestConditions& conditions,
                                                     uint32_t& error) override {
        if (!isWebUrl(url)) {
            error = CURLE_UNSUPPORTED_PROTOCOL;
            return nullptr;
        }
        if (aborted()) {
            error = CURLE_ABORTED_BY_CALLBACK;
            return nullptr;
        }
        CURL* easy = curl().easyInit();
        if (!easy) {
            error = CURLE_OUT_OF_MEMORY;
            return nullptr;
        }
        // There is no cache here, but a proxy on the way may have one.
        curl_slist* headers = curl().slistAppend(nullptr, "Cache-Control: no-cache");
        curl_slist* more = headers ? curl().slistAppend(headers, "Pragma: no-cache") : nullptr;
        // Values come from a server's headers: no line end may reach ours.
        auto headerLine = [](const char* name, const std::u16string& value) {
            std::string line = std::string(name) + ": " + toUtf8(value);
            line.erase(
                std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }),
                line.end());
            return line;
        };
        if (more && !conditions.ifNoneMatch.empty())
            more = curl().slistAppend(more, headerLine("If-None-Match", conditions.ifNoneMatch).c_str());
        if (more && !conditions.ifModifiedSince.empty())
            more =
                curl().slistAppend(more, headerLine("If-Modified-Since", conditions.ifModifiedSince).c_str());
        if (!more) {
            curl().slistFreeAll(headers);
            curl().easyCleanup(easy);
            error = CURLE_OUT_OF_MEMORY;
            return nullptr;
        }
        auto request = std::make_unique<CurlRequest>(*this, easy, more);
        if (!request->start(toUtf8(url), error)) return nullptr;
        return request;
    }

    void abort() override {
        aborted_.store(true);
        curl().multiWakeup(multi_);
    }

    bool aborted() const { return aborted_.load(); }
    CURLM* multi() const { return multi_; }
    const std::string& agent() const { return agent_; }

  private:
    CURLM* multi_;
    std::string agent_;
    std::atomic<bool> aborted_{false};
};

CurlRequest::~CurlRequest() {
    if (added_) curl().multiRemoveHandle(session_.multi(), easy_);
    curl().easyCleanup(easy_);
    curl().slistFreeAll(headers_);
}

bool CurlRequest::start(const std::string& url, uint32_t& error) {
    curl().easySetopt(easy_, CURLOPT_URL, url.c_str());
    curl().easySetopt(easy_, CURLOPT_USERAGENT, session_.agent().c_str());
    curl().easySetopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl().easySetopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl().easySetopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl().easySetopt(easy_, CURLOPT_MAXREDIRS, 20L);
    curl().easySetopt(easy_, CURLOPT_HTTPHEADER, headers_);
    curl().easySetopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    // libcurl decodes what it asked for; the body handed out is the document itself.
    curl().easySetopt(easy_, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    // The server's certificate and host name are always checked. The trusted authorities are the
    // system's, or those of the bundle SSL_CERT_FILE names, as OpenSSL's own programs take them.
    curl().easySetopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl().easySetopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
    if (const char* bundle = std::getenv("SSL_CERT_FILE"); bundle && *bundle)
        curl().easySetopt(easy_, CURLOPT_CAINFO, bundle);
    // Signals are no way to time out a resolver on a worker thread.
    curl().easySetopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl().easySetopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
    curl().easySetopt(easy_, CURLOPT_WRITEFUNCTION, &CurlRequest::onBody);
    curl().easySetopt(easy_, CURLOPT_WRITEDATA, this);
    curl().easySetopt(easy_, CURLOPT_HEADERFUNCTION, &CurlRequest::onHeader);
    curl().easySetopt(easy_, CURLOPT_HEADERDATA, this);
    CURLMcode added = curl().multiAddHandle(session_.multi(), easy_);
    if (added != CURLM_OK) {
        error = CURLE_OUT_OF_MEMORY;
        return false;
    }
    added_ = true;
    return pump([this] { return headersDone_ || pendingSize() > 0; }, error);
}

template <class Ready>
bool CurlRequest::pump(Ready ready, uint32_t& error) {
    CURLM* multi = session_.multi();
    while (!finished_ && !ready()) {
        if (session_.aborted()) {
            error = CURLE_ABORTED_BY_CALLBACK;
            return false;
        }
        int running = 0;
        CURLMcode code = curl().multiPerform(multi, &running);
        int left = 0;
        while (CURLMsg* message = curl().multiInfoRead(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
                finished_ = true;
                result_ = message->data.result;
            }
        }
        if (code != CURLM_OK) {
            error = CURLE_RECV_ERROR;
            trace(u"curl: %s", curl().multiStrerror(code));
            return false;
        }
        if (finished_ || ready()) break;
        code = curl().multiPoll(multi, nullptr, 0, kPollMilliseconds, nullptr);
        if (code != CURLM_OK) {
            error = CURLE_RECV_ERROR;
            trace(u"curl: %s", curl().multiStrerror(code));
            return false;
        }
    }
    if (pendingSize() == 0 && finished_ && result_ != CURLE_OK) {
        error = result_;
        trace(u"curl: %s", errorText_[0] ? errorText_ : curl().easyStrerror(result_));
        return false;
    }
    return true;
}

}  // namespace

InternetWarmUp::InternetWarmUp() {
    try {
        thread_ = std::thread([] { curlLibrary(); });
    } catch (const std::system_error&) {
        // Without a thread the first session loads the library itself.
    }
}

InternetWarmUp::~InternetWarmUp() {
    if (thread_.joinable()) thread_.join();
}

std::unique_ptr<InternetSession> InternetSession::open(std::u16string_view agent, uint32_t& error) {
    if (!curlLibrary()) {
        error = CURLE_FAILED_INIT;
        return nullptr;
    }
    CURLM* multi = curl().multiInit();
    if (!multi) {
        error = CURLE_FAILED_INIT;
        return nullptr;
    }
    return std::make_unique<CurlSession>(multi, toUtf8(agent));
}

}  // namespace corvane::retrieval
