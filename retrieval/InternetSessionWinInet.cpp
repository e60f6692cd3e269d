#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <mutex>

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

class WinInetSession;

class WinInetRequest final : public InternetRequest {
  public:
    WinInetRequest(WinInetSession& session, HINTERNET handle) : session_(session), handle_(handle) {}
    ~WinInetRequest() override;

    std::optional<uint32_t> contentLength() override;
    uint32_t statusCode() override;
    bool read(std::span<uint8_t> buffer, size_t& count, uint32_t& error) override;

  private:
    WinInetSession& session_;
    HINTERNET handle_;
};

class WinInetSession final : public InternetSession {
  public:
    explicit WinInetSession(HINTERNET internet) : internet_(internet) {}
    ~WinInetSession() override {
        std::lock_guard<std::mutex> guard(lock_);
        if (internet_) InternetCloseHandle(internet_);
    }

    std::unique_ptr<InternetRequest> openUrl(std::u16string_view url, uint32_t& error) override {
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
        static constexpr wchar_t kHeaders[] = L"Accept-Encoding: gzip\r\n";
        HINTERNET request =
            InternetOpenUrlW(internet, address.c_str(), kHeaders, static_cast<DWORD>(-1L), kOpenUrlFlags, 0);
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
        return std::make_unique<WinInetRequest>(*this, request);
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
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!handle ||
        !HttpQueryInfoW(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return 0;
    return status;
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

}  // namespace corvane::retrieval
