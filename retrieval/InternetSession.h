#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>

// The internet layer under the URL downloader, with one backend per platform (WinINet on Windows,
// libcurl natively). Failures give the backend's own error code (a Win32 last-error value, a
// CURLcode), which only goes to the trace.
namespace corvane::retrieval {

// One URL being fetched. It must not outlive the session that opened it.
class InternetRequest {
  public:
    virtual ~InternetRequest() = default;

    // The length the server announced for the body; none when it sent none (or one beyond 32 bits).
    virtual std::optional<uint32_t> contentLength() = 0;

    // Reads the next bytes of the body into the buffer, waiting only until some have arrived, never
    // for the whole buffer. A count of 0 is the end of the body. False with `error` set on failure.
    virtual bool read(std::span<uint8_t> buffer, size_t& count, uint32_t& error) = 0;

    // The final response's status code (0 when unknown) and a header of it by name ("ETag"; empty
    // when it has none).
    virtual uint32_t statusCode() { return 0; }
    virtual std::u16string responseHeader(std::string_view) { return {}; }
    // Where the URL was moved for good: the last URL of a chain of redirects that were all permanent
    // (301, 308); empty when there was none or any of them was temporary.
    virtual std::u16string permanentUrl() { return {}; }
};

// The validators of a conditional request; an empty one is not sent.
struct RequestConditions {
    std::u16string ifNoneMatch;      // the ETag the server last sent
    std::u16string ifModifiedSince;  // the Last-Modified it last sent
};

class InternetSession {
  public:
    // Opens a session with the system's proxy settings under the agent name; null with `error` set
    // when it cannot be opened.
    static std::unique_ptr<InternetSession> open(std::u16string_view agent, uint32_t& error);

    virtual ~InternetSession() = default;

    // Sends the request, always to the server and never answered from or stored into a cache, asking
    // for a compressed body (gzip; deflate too natively) and handing out the body decoded, and returns once
    // the final response's headers are in (redirects are followed). Only http and https URLs are accepted;
    // any other is a failed open. Null with `error` set on failure.
    virtual std::unique_ptr<InternetRequest> openUrl(std::u16string_view url, uint32_t& error) = 0;
    // openUrl, sending the validators: a server that has nothing newer answers 304 without a body.
    virtual std::unique_ptr<InternetRequest> openConditional(std::u16string_view url,
                                                             const RequestConditions& conditions,
                                                             uint32_t& error) = 0;

    // May be called from any thread while another uses the session: makes calls under way give up as
    // soon as the platform lets them, and every later call fail. It does not wait for them.
    virtual void abort() = 0;
};

// Readies the internet layer on a thread of its own while the caller does other work, for a command
// that is about to download: natively libcurl's loading and global initialisation (some forty
// libraries) then overlap the reading of the folder, and the first session waits for what is left.
// It waits for that thread when it goes. Where the layer needs no readying it does nothing.
class InternetWarmUp {
  public:
    InternetWarmUp();
    ~InternetWarmUp();
    InternetWarmUp(const InternetWarmUp&) = delete;
    InternetWarmUp& operator=(const InternetWarmUp&) = delete;

  private:
    std::thread thread_;
};

// True for absolute http and https URLs (the scheme compared without regard to case).
bool isWebUrl(std::u16string_view url);

}  // namespace corvane::retrieval
