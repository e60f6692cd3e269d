#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "platform/Trace.h"
#include "platform/Win32Text.h"
#include "retrieval/InternetSession.h"

// The WinINet backend, synchronous. abort() closes the handles from the other thread, which makes a
// blocked call fail on Windows; Wine's WinINet instead stays in a blocked read (and open) until the
// server sends or closes, so there a stop takes effect only then.
namespace corvane::retrieval {
namespace {

// Always from the server, never from the cache, and nothing stored in it.
constexpr DWORD kOpenUrlFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
// WinINet follows redirects without saying which kind they were; a conditional request follows
// them itself, to know whether the feed moved for good.
constexpr int kMaxRedirects = 20;

// A header of the response as text, or empty.
std::u16string queryText(HINTERNET handle, DWORD level, const wchar_t* name = nullptr) {
    std::wstring buffer(name ? name : L"");
    buffer.resize(std::max<size_t>(buffer.size() + 1, 256));
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        DWORD index = 0;
        if (HttpQueryInfoW(handle, level, buffer.data(), &size, &index)) {
            buffer.resize(size / sizeof(wchar_t));
            return fromWide(buffer);
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        std::wstring grown(name ? name : L"");
        grown.resize(size / sizeof(wchar_t) + 1);
        buffer = std::move(grown);
    }
    return {};
}

uint32_t statusOf(HINTERNET handle) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return 0;
    return status;
}

class WinInetSession;

class WinInetRequest final : public InternetRequest {
  public:
    WinInetRequest(WinInetSession& session, HINTERNET handle, std::u16string permanentUrl = {})
        : session_(session), handle_(handle), permanentUrl_(std::move(permanentUrl)) {}
    ~WinInetRequest() override;

    std::optional<uint32_t> contentLength() override;
    bool read(std::span<uint8_t> buffer, size_t& count, uint32_t& error) override;
    uint32_t statusCode() override;
    std::u16string responseHeader(std::string_view name) override;
    std::u16string permanentUrl() override { return permanentUrl_; }

  private:
    WinInetSession& session_;
    HINTERNET handle_;
    std::u16string permanentUrl_;
};

class WinInetSession final : public InternetSession {
  public:
    explicit WinInetSession(HINTERNET internet) : internet_(internet) {}
    ~WinInetSession() override {
        std::lock_guard<std::mutex> guard(lock_);
        if (internet_) InternetCloseHandle(internet_);
    }

    std::unique_ptr<InternetRequest> openUrl(std::u16string_view url, uint32_t& error) override {
        HINTERNET request = open(url, nullptr, kOpenUrlFlags, error);
        if (!request) return nullptr;
        return std::make_unique<WinInetRequest>(*this, request);
    }

    std::unique_ptr<InternetRequest> openConditional(std::u16string_view url,
                                                     const RequestConditions& conditions,
                                                     uint32_t& error) override {
        // Values come from a server's headers: no line end may reach ours.
        auto headerLine = [](const wchar_t* name, const std::u16string& value) {
            std::wstring line = std::wstring(name) + L": " + toWide(value);
            line.erase(
                std::remove_if(line.begin(), line.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }),
                line.end());
            return line + L"\r\n";
        };
        std::wstring headers;
        if (!conditions.ifNoneMatch.empty()) headers += headerLine(L"If-None-Match", conditions.ifNoneMatch);
        if (!conditions.ifModifiedSince.empty())
            headers += headerLine(L"If-Modified-Since", conditions.ifModifiedSince);
        std::u16string address(url);
        bool allPermanent = true;
        for (int redirects = 0;; ++redirects) {
            HINTERNET request = open(address, headers.empty() ? nullptr : headers.c_str(),
                                     kOpenUrlFlags | INTERNET_FLAG_NO_AUTO_REDIRECT, error);
            if (!request) return nullptr;
            uint32_t status = statusOf(request);
            std::u16string location = status >= 300 && status < 400 && status != 304
                                          ? queryText(request, HTTP_QUERY_LOCATION)
                                          : u"";
            if (location.empty() || redirects == kMaxRedirects) {
                return std::make_unique<WinInetRequest>(
                    *this, request, redirects > 0 && allPermanent ? address : std::u16string());
            }
            if (status != 301 && status != 308) allPermanent = false;
            wchar_t combined[INTERNET_MAX_URL_LENGTH];
            DWORD length = INTERNET_MAX_URL_LENGTH;
            std::wstring base = toWide(address);
            std::wstring relative = toWide(location);
            bool resolved =
                InternetCombineUrlW(base.c_str(), relative.c_str(), combined, &length, ICU_NO_ENCODE);
            closeRequest(request);
            if (!resolved || !isWebUrl(fromWide(combined))) {
                error = ERROR_INTERNET_INVALID_URL;
                return nullptr;
            }
            address = fromWide(combined);
        }
    }

    void abort() override {
        std::lock_guard<std::mutex> guard(lock_);
        if (aborted_) return;
        aborted_ = true;
        if (request_) InternetCloseHandle(request_);
        request_ = nullptr;
        InternetCloseHandle(internet_);
        internet_ = nullptr;
    }

    // Opens the URL and makes the request the one abort() closes; null with `error` on failure.
    HINTERNET open(std::u16string_view url, const wchar_t* headers, DWORD flags, uint32_t& error) {
        if (!isWebUrl(url)) {
            error = ERROR_INTERNET_UNRECOGNIZED_SCHEME;
            return nullptr;
        }
        HINTERNET internet = usable(nullptr);
        if (!internet) {
            error = ERROR_INTERNET_OPERATION_CANCELLED;
            return nullptr;
        }
        std::wstring address = toWide(url);
        // WinINet decodes once asked to (the session's option) but sends no Accept-Encoding itself.
        // Only gzip: Wine's WinINet takes "deflate" for raw deflate and fails on the zlib-wrapped
        // form servers send under that name.
        std::wstring allHeaders = L"Accept-Encoding: gzip\r\n";
        if (headers) allHeaders += headers;
        HINTERNET request = InternetOpenUrlW(internet, address.c_str(), allHeaders.c_str(),
                                             static_cast<DWORD>(-1L), flags, 0);
        if (!request) {
            error = GetLastError();
            return nullptr;
        }
        std::lock_guard<std::mutex> guard(lock_);
        if (aborted_) {
            InternetCloseHandle(request);
            error = ERROR_INTERNET_OPERATION_CANCELLED;
            return nullptr;
        }
        request_ = request;
        return request;
    }

    // The handle to make the next call with: the session's (for null) or the given request's;
    // null once abort() has closed them.
    HINTERNET usable(HINTERNET request) {
        std::lock_guard<std::mutex> guard(lock_);
        if (aborted_) return nullptr;
        return request ? request : internet_;
    }

    void closeRequest(HINTERNET request) {
        std::lock_guard<std::mutex> guard(lock_);
        if (request_ != request) return;
        InternetCloseHandle(request);
        request_ = nullptr;
    }

  private:
    std::mutex lock_;
    HINTERNET internet_;
    HINTERNET request_ = nullptr;
    bool aborted_ = false;
};

WinInetRequest::~WinInetRequest() {
    session_.closeRequest(handle_);
}

std::optional<uint32_t> WinInetRequest::contentLength() {
    HINTERNET handle = session_.usable(handle_);
    DWORD length = 0;
    DWORD size = sizeof(length);
    if (!handle ||
        !HttpQueryInfoW(handle, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr))
        return std::nullopt;
    return length;
}

uint32_t WinInetRequest::statusCode() {
    HINTERNET handle = session_.usable(handle_);
    return handle ? statusOf(handle) : 0;
}

std::u16string WinInetRequest::responseHeader(std::string_view name) {
    HINTERNET handle = session_.usable(handle_);
    if (!handle) return {};
    std::wstring wide(name.begin(), name.end());
    return queryText(handle, HTTP_QUERY_CUSTOM, wide.c_str());
}

bool WinInetRequest::read(std::span<uint8_t> buffer, size_t& count, uint32_t& error) {
    count = 0;
    HINTERNET handle = session_.usable(handle_);
    if (!handle) {
        error = ERROR_INTERNET_OPERATION_CANCELLED;
        return false;
    }
    // A synchronous InternetReadFile may wait for the whole count (Wine's does), so ask what has
    // arrived and read no more. Nothing available means the end: that read then returns 0 at once.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(handle, &available, 0, 0)) {
        error = GetLastError();
        return false;
    }
    DWORD wanted = static_cast<DWORD>(buffer.size());
    if (available > 0) wanted = std::min(wanted, available);
    DWORD got = 0;
    if (!InternetReadFile(handle, buffer.data(), wanted, &got)) {
        error = GetLastError();
        return false;
    }
    count = got;
    return true;
}

}  // namespace

std::unique_ptr<InternetSession> InternetSession::open(std::u16string_view agent, uint32_t& error) {
    std::wstring name = toWide(agent);
    HINTERNET internet = InternetOpenW(name.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet) {
        error = GetLastError();
        return nullptr;
    }
    BOOL decode = TRUE;
    if (!InternetSetOptionW(internet, INTERNET_OPTION_HTTP_DECODING, &decode, sizeof(decode)))
        trace(u"InternetSetOption(HTTP_DECODING) failed: %u", static_cast<uint32_t>(GetLastError()));
    return std::make_unique<WinInetSession>(internet);
}

// WinINet is linked with the program: there is nothing to load ahead.
InternetWarmUp::InternetWarmUp() = default;
InternetWarmUp::~InternetWarmUp() = default;

}  // namespace corvane::retrieval
