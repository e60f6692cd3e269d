#include "retrieval/UrlDownloader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "platform/Utf.h"
#include "support/TestServer.h"
#include "support/TraceCapture.h"

namespace corvane {
namespace {

using testing::serverPattern;
using testing::serverUrl;

class RecordingSink : public kturldownloader_eventhandler {
  public:
    void OnStart(kturldownloader*) override { ++starts; }
    bool OnProgress(kturldownloader* downloader) override {
        received.push_back(downloader->received());
        return static_cast<int>(received.size()) != cancelOnCall;
    }

    // Sizes of the chunks, from the running totals seen at each call.
    std::vector<uint32_t> chunks() const {
        std::vector<uint32_t> sizes(received.size());
        std::adjacent_difference(received.begin(), received.end(), sizes.begin());
        return sizes;
    }

    int starts = 0;
    std::vector<uint32_t> received;
    int cancelOnCall = 0;
};

std::vector<uint8_t> bytesOf(const kturldownloader_job* job) {
    auto bytes = job->bytes();
    return {bytes.begin(), bytes.end()};
}

std::string textOf(const kturldownloader_job* job) {
    auto bytes = job->bytes();
    return {bytes.begin(), bytes.end()};
}

// The counts of the "Written from internet %d" lines, in order.
std::vector<uint32_t> writtenCounts(const testing::TraceCapture& capture) {
    std::vector<uint32_t> counts;
    const std::string prefix = "Written from internet ";
    for (const std::string& message : capture.messages())
        if (message.rfind(prefix, 0) == 0) counts.push_back(std::stoul(message.substr(prefix.size())));
    return counts;
}

bool hasMessage(const testing::TraceCapture& capture, const std::string& text) {
    for (const std::string& message : capture.messages())
        if (message == text) return true;
    return false;
}

// The message of the one error line ("error 0x%08X: ..."), without its code.
std::string errorMessage(const testing::TraceCapture& capture) {
    std::string found;
    for (const std::string& message : capture.messages())
        if (message.rfind("error 0x", 0) == 0 && message.size() >= 18) {
            EXPECT_TRUE(found.empty()) << "a second error line: " << message;
            found = message.substr(18);
        }
    return found;
}

TEST(UrlDownloader, BodyWithLengthArrivesWholeInBoundedChunks) {
    testing::TraceCapture capture("download-length");
    kturldownloader downloader;
    auto* job = downloader.addUrl(serverUrl("/body?size=100000"));
    RecordingSink sink;

    ASSERT_EQ(downloader.download(&sink), kStatusOk);
    EXPECT_TRUE(job->streamReady);
    EXPECT_EQ(bytesOf(job), serverPattern(100000));
    EXPECT_EQ(downloader.contentLength(), 100000u);
    EXPECT_EQ(downloader.received(), 100000u);
    EXPECT_EQ(downloader.currentUrl(), job->url);
    EXPECT_EQ(sink.starts, 1);
    ASSERT_FALSE(sink.received.empty());
    EXPECT_EQ(sink.received.back(), 100000u);
    for (uint32_t chunk : sink.chunks()) {
        EXPECT_GT(chunk, 0u);
        EXPECT_LE(chunk, kturldownloader::kReadSize);
    }
    EXPECT_TRUE(hasMessage(capture, "downloading file 100000 bytes"));
    EXPECT_EQ(writtenCounts(capture), sink.chunks());
}

TEST(UrlDownloader, BodyWithoutLengthCompletesWithLengthZero) {
    for (const char* framing : {"close", "chunked"}) {
        SCOPED_TRACE(framing);
        testing::TraceCapture capture(std::string("download-nolength-") + framing);
        kturldownloader downloader;
        auto* job = downloader.addUrl(serverUrl(std::string("/body?size=50000&framing=") + framing));
        RecordingSink sink;

        ASSERT_EQ(downloader.download(&sink), kStatusOk);
        EXPECT_EQ(bytesOf(job), serverPattern(50000));
        EXPECT_EQ(downloader.contentLength(), 0u);
        EXPECT_TRUE(hasMessage(capture, "downloading file 0 bytes"));
    }
}

// Around one read's 32767 bytes: a full read must not be taken for the end, nor overrun the buffer.
TEST(UrlDownloader, BodiesAroundTheReadSizeArriveExactly) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{32766}, size_t{32767}, size_t{32768}, size_t{65535}}) {
        SCOPED_TRACE(size);
        kturldownloader downloader;
        auto* job = downloader.addUrl(serverUrl("/body?size=" + std::to_string(size)));
        RecordingSink sink;

        ASSERT_EQ(downloader.download(&sink), kStatusOk);
        EXPECT_EQ(bytesOf(job), serverPattern(size));
        EXPECT_EQ(downloader.received(), size);
        EXPECT_EQ(sink.starts, 1);
        for (uint32_t chunk : sink.chunks())
            EXPECT_LE(chunk, kturldownloader::kReadSize);
        if (size == 0) {
            EXPECT_TRUE(sink.received.empty());
        }
    }
}

// Most cases below run with a null sink: nobody is told, nothing can cancel, the run still completes.
TEST(UrlDownloader, ErrorStatusIsAFailedDownloadWithTheStatusInTheTrace) {
    for (const char* target : {"/notfound", "/file?name=feeds/blog-rss.xml&status=500",
                               "/file?name=feeds/blog-rss.xml&status=410"}) {
        testing::TraceCapture capture("download-status");
        kturldownloader downloader;
        downloader.addUrl(serverUrl(target));
        EXPECT_EQ(downloader.download(nullptr), kStatusFail) << target;
        std::string trace;
        for (const std::string& line : capture.messages())
            trace += line + "\n";
        EXPECT_NE(trace.find("answered HTTP status"), std::string::npos) << trace;
    }
}

TEST(UrlDownloader, CompressedBodiesAreAskedForAndDecoded) {
#ifdef _WIN32
    const char* const encodings[] = {"gzip"};  // deflate is asked for natively only
#else
    const char* const encodings[] = {"gzip", "deflate"};
#endif
    for (const char* encoding : encodings) {
        kturldownloader downloader;
        auto* job =
            downloader.addUrl(serverUrl(std::string("/file?name=feeds/blog-rss.xml&encoding=") + encoding));
        ASSERT_EQ(downloader.download(nullptr), kStatusOk);
        std::ifstream file(std::string(CORVANE_TEST_DATA) + "/feeds/blog-rss.xml", std::ios::binary);
        const std::string expected((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(textOf(job), expected) << encoding;
    }
    kturldownloader downloader;
    auto* job = downloader.addUrl(serverUrl("/echo-headers"));
    ASSERT_EQ(downloader.download(nullptr), kStatusOk);
    EXPECT_NE(textOf(job).find("gzip"), std::string::npos) << textOf(job);
#ifndef _WIN32
    EXPECT_NE(textOf(job).find("deflate"), std::string::npos) << textOf(job);
#endif
}

TEST(UrlDownloader, RedirectsAreFollowedToTheFinalBody) {
    for (const std::u16string& target : {std::u16string(u"/body?size=5000"), serverUrl("/body?size=5000")}) {
        kturldownloader downloader;
        auto* job = downloader.addUrl(serverUrl("/redirect?to=") + target);
        ASSERT_EQ(downloader.download(nullptr), kStatusOk);
        EXPECT_EQ(bytesOf(job), serverPattern(5000));
        EXPECT_EQ(downloader.contentLength(), 5000u);
    }
}

TEST(UrlDownloader, SendsItsAgentName) {
    kturldownloader downloader;
    auto* job = downloader.addUrl(serverUrl("/echo-headers"));
    ASSERT_EQ(downloader.download(nullptr), kStatusOk);
    EXPECT_NE(textOf(job).find("User-Agent: Corvane\n"), std::string::npos) << textOf(job);
}

TEST(UrlDownloader, RefusedConnectionFailsAfterOnStart) {
    testing::TraceCapture capture("download-refused");
    kturldownloader downloader;
    auto* job = downloader.addUrl(testing::refusedUrl());
    RecordingSink sink;

    EXPECT_EQ(downloader.download(&sink), kStatusFail);
    EXPECT_EQ(sink.starts, 1);
    EXPECT_TRUE(sink.received.empty());
    EXPECT_TRUE(job->bytes().empty());
    EXPECT_EQ(errorMessage(capture), "InternetOpenUrl( " + toUtf8(job->url) + " ) failed");
}

TEST(UrlDownloader, OnlyHttpAndHttpsUrlsAreOpened) {
    const std::string port = std::to_string(testing::testServerPorts().port);
    for (const std::string& url : std::vector<std::string>{
             "file:///etc/hosts", "file:///C:/windows/win.ini", "ftp://127.0.0.1:" + port + "/",
             "httpx://127.0.0.1:" + port + "/", "127.0.0.1:" + port + "/body?size=3", "", "http:"}) {
        SCOPED_TRACE(url);
        testing::TraceCapture capture("download-scheme");
        kturldownloader downloader;
        auto* job = downloader.addUrl(fromUtf8(url));
        EXPECT_EQ(downloader.download(nullptr), kStatusFail);
        EXPECT_TRUE(job->bytes().empty());
        EXPECT_EQ(errorMessage(capture), "InternetOpenUrl( " + url + " ) failed");
    }
    kturldownloader downloader;
    auto* job = downloader.addUrl(fromUtf8("HTTP://127.0.0.1:" + port + "/body?size=3"));
    EXPECT_EQ(downloader.download(nullptr), kStatusOk);
    EXPECT_EQ(bytesOf(job), serverPattern(3));
}

TEST(UrlDownloader, RedirectToALocalFileNeverYieldsIt) {
    const auto path = std::filesystem::temp_directory_path() / "corvane-redirect-target.txt";
    const std::string marker = "local file that no download may read";
    std::ofstream(path) << marker;
    std::string fileUrl = "file:///" + path.generic_string();
    if (fileUrl.rfind("file:////", 0) == 0) fileUrl.erase(7, 1);

    kturldownloader downloader;
    auto* job = downloader.addUrl(serverUrl("/redirect?to=") + fromUtf8(fileUrl));
    downloader.download(nullptr);
    EXPECT_EQ(textOf(job).find(marker), std::string::npos);
    std::filesystem::remove(path);
}

TEST(UrlDownloader, SinkCancellingOnFirstProgressLeavesOneChunk) {
    kturldownloader downloader;
    auto* job = downloader.addUrl(serverUrl("/body?size=200000"));
    RecordingSink sink;
    sink.cancelOnCall = 1;

    EXPECT_EQ(downloader.download(&sink), kStatusCancelled);
    ASSERT_EQ(sink.received.size(), 1u);
    EXPECT_EQ(downloader.received(), sink.received[0]);
    EXPECT_GT(job->bytes().size(), 0u);
    EXPECT_LE(job->bytes().size(), kturldownloader::kReadSize);
    EXPECT_EQ(bytesOf(job), serverPattern(job->bytes().size()));
}

TEST(UrlDownloader, JobsRunInOrderAndCountTogether) {
    kturldownloader downloader;
    auto* first = downloader.addUrl(serverUrl("/body?size=500"));
    auto* second = downloader.addUrl(serverUrl("/body?size=700&framing=close"));
    ASSERT_EQ(downloader.jobs().size(), 2u);

    EXPECT_EQ(downloader.download(nullptr), kStatusOk);
    EXPECT_EQ(bytesOf(first), serverPattern(500));
    EXPECT_EQ(bytesOf(second), serverPattern(700));
    EXPECT_EQ(downloader.received(), 1200u);
    // The second announced none, so the first's stays.
    EXPECT_EQ(downloader.contentLength(), 500u);
    EXPECT_EQ(downloader.currentUrl(), second->url);
}

TEST(UrlDownloader, FailedJobEndsTheRun) {
    kturldownloader downloader;
    auto* first = downloader.addUrl(serverUrl("/body?size=10"));
    auto* failing = downloader.addUrl(testing::refusedUrl());
    auto* last = downloader.addUrl(serverUrl("/body?size=10"));

    EXPECT_EQ(downloader.download(nullptr), kStatusFail);
    EXPECT_EQ(bytesOf(first), serverPattern(10));
    EXPECT_EQ(downloader.currentUrl(), failing->url);
    EXPECT_TRUE(last->bytes().empty());
}

TEST(UrlDownloader, SizeLimitCountsTheWholeRun) {
    {
        kturldownloader downloader;
        downloader.setSizeLimit(10000);
        auto* job = downloader.addUrl(serverUrl("/body?size=10000"));
        EXPECT_EQ(downloader.download(nullptr), kStatusOk);
        EXPECT_EQ(job->bytes().size(), 10000u);
    }
    for (const std::vector<std::string>& paths : {std::vector<std::string>{"/body?size=10001"},
                                                  {"/body?size=100000&framing=close"},
                                                  {"/body?size=6000", "/body?size=6000&framing=chunked"}}) {
        SCOPED_TRACE(paths.back());
        testing::TraceCapture capture("download-limit");
        kturldownloader downloader;
        downloader.setSizeLimit(10000);
        for (const std::string& path : paths)
            downloader.addUrl(serverUrl(path));

        EXPECT_EQ(downloader.download(nullptr), kStatusFail);
        EXPECT_LE(downloader.received(), 10000u);
        EXPECT_EQ(errorMessage(capture),
                  "Download of " + toUtf8(serverUrl(paths.back())) + " stopped: more than 10000 bytes");
    }
}

TEST(UrlDownloader, StopRequestedBeforeTheRunCancelsIt) {
    kturldownloader downloader;
    auto* job = downloader.addUrl(serverUrl("/body?size=10"));
    RecordingSink sink;
    std::stop_source stop;
    stop.request_stop();

    EXPECT_EQ(downloader.download(&sink, stop.get_token()), kStatusCancelled);
    EXPECT_EQ(sink.starts, 0);
    EXPECT_TRUE(job->bytes().empty());
}

}  // namespace
}  // namespace corvane
