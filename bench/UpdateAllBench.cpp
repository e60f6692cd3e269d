// update --all of 50 news folders whose feeds a loopback server sends slowly, one of them never
// finishing and one answering 404: the time until every other feed has ended, against the time of
// the slowest of them updated alone in the same run. Updated one after the other it would be about
// the sum of all of them (some 48 times the slowest); in parallel it should stay near the slowest.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RatioReporter.h"
#include "feedstore/RSSObject.h"
#include "folder/FeedUpdateAll.h"
#include "folder/FolderSystem.h"
#include "folder/NewsFolder.h"
#include "platform/Utf.h"

namespace corvane::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFeeds = 50;
constexpr int kSlowestMilliseconds = 400;

// Each connection on a thread of its own: GET /feed-N sends a feed of ten items in ten pieces spread
// over 100 + 6·N ms (at most kSlowestMilliseconds), /stall sends its headers and then nothing until
// the server stops, anything else is a 404.
class SlowServer {
  public:
    SlowServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 128) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no loopback port");
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptAll(); });
    }
    ~SlowServer() {
        stopping_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        acceptor_.join();
        for (std::thread& thread : connections_)
            thread.join();
    }
    std::u16string url(const std::string& path) const {
        return fromUtf8("http://127.0.0.1:" + std::to_string(port_) + path);
    }

  private:
    void acceptAll() {
        while (!stopping_) {
            int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0) return;
            connections_.emplace_back([this, connection] { answer(connection); });
        }
    }

    void answer(int connection) {
        char request[2048];
        ssize_t got = ::recv(connection, request, sizeof(request) - 1, 0);
        std::string line(request, got > 0 ? static_cast<size_t>(got) : 0);
        std::string path = line.substr(4, line.find(' ', 4) - 4);
        auto send = [connection](const std::string& bytes) {
            ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        };
        if (path.rfind("/feed-", 0) == 0) {
            int n = std::stoi(path.substr(6));
            std::string items;
            for (int i = 0; i < 10; ++i)
                items += "<item><title>Feed " + std::to_string(n) + " message " + std::to_string(i) +
                         "</title><guid>" + std::to_string(n) + "-" + std::to_string(i) + "</guid></item>";
            std::string body = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Feed " +
                               std::to_string(n) + "</title>" + items + "</channel></rss>";
            send(
                "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: "
                "close\r\nContent-Length: " +
                std::to_string(body.size()) + "\r\n\r\n");
            const auto pause = std::chrono::milliseconds(std::min(100 + 6 * n, kSlowestMilliseconds) / 10);
            const size_t piece = (body.size() + 9) / 10;
            for (size_t at = 0; at < body.size() && !stopping_; at += piece) {
                std::this_thread::sleep_for(pause);
                send(body.substr(at, piece));
            }
        } else if (path == "/stall") {
            send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
            while (!stopping_)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } else {
            send("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
        }
        ::close(connection);
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::vector<std::thread> connections_;
};

SlowServer& server() {
    static SlowServer instance;
    return instance;
}

// A folder of kFeeds news folders: feed-0 ... feed-47, one stalling, one failing.
struct Subscriptions {
    std::filesystem::path top =
        std::filesystem::temp_directory_path() / ("corvane-update-all-bench-" + std::to_string(::getpid()));
    std::vector<folder::UpdateTarget> targets;

    Subscriptions() {
        std::filesystem::remove_all(top);
        for (int i = 0; i < kFeeds; ++i) {
            std::string name = i == 0 ? "stalling" : i == 1 ? "failing" : "feed-" + std::to_string(i - 2);
            std::u16string url = server().url(i == 0   ? "/stall"
                                              : i == 1 ? "/missing"
                                                       : "/feed-" + std::to_string(i - 2));
            std::filesystem::path path = top / name;
            std::filesystem::create_directories(path);
            folder::createNewsFolder(path.u16string());
            auto feed = loadRSSObject(folder::joinPath(path.u16string(), folder::kSettingsFile),
                                      folder::joinPath(path.u16string(), folder::kItemsFile));
            feed->url = url;
            feed->storeSettings();
            targets.push_back({path.u16string(), fromUtf8(name)});
        }
    }
    ~Subscriptions() { std::filesystem::remove_all(top); }

    // Each update starts from an empty store, so every run reads and writes the same.
    void emptyStores() {
        for (const folder::UpdateTarget& target : targets) {
            std::filesystem::remove(std::filesystem::path(target.path) / "rssitems.xml");
            auto feed = loadRSSObject(folder::joinPath(target.path, folder::kSettingsFile),
                                      folder::joinPath(target.path, folder::kItemsFile));
            std::u16string url = feed->url;
            RSSObject fresh;
            fresh.settingsPath = feed->settingsPath;
            fresh.url = url;
            fresh.storeSettings();
        }
    }
};

Subscriptions& subscriptions() {
    static Subscriptions instance;
    return instance;
}

void UpdateSlowestAlone(benchmark::State& state) {
    Subscriptions& all = subscriptions();
    const folder::UpdateTarget& slowest = all.targets.back();
    for (auto _ : state) {
        state.PauseTiming();
        all.emptyStores();
        state.ResumeTiming();
        folder::FeedUpdateOutcome outcome = folder::updateNewsFolder(slowest, {});
        if (outcome.ending != folder::UpdateEnding::Updated) state.SkipWithError("the slowest feed failed");
    }
}
BENCHMARK(UpdateSlowestAlone)->Unit(benchmark::kMillisecond)->Iterations(3);

// The time until every feed but the stalling one has ended; the stalling one is then stopped.
void UpdateAllFifty(benchmark::State& state) {
    Subscriptions& all = subscriptions();
    for (auto _ : state) {
        all.emptyStores();
        std::atomic<int> ended{0};
        std::atomic<bool> stop{false};
        Clock::time_point start = Clock::now();
        Clock::time_point othersEnded{};
        int updated = 0;
        folder::UpdateAllObserver observer;
        observer.ended = [&](const folder::FeedUpdateOutcome& outcome, size_t, size_t) {
            if (outcome.ending == folder::UpdateEnding::Updated) ++updated;
            if (++ended == kFeeds - 1) {
                othersEnded = Clock::now();
                stop = true;
            }
        };
        folder::updateAll(
            all.targets, static_cast<size_t>(state.range(0)), [&] { return stop.load(); }, observer);
        if (updated != kFeeds - 2) state.SkipWithError("not every good feed was updated");
        state.SetIterationTime(std::chrono::duration<double>(othersEnded - start).count());
    }
}
BENCHMARK(UpdateAllFifty)->Arg(50)->Arg(16)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace corvane::bench

int main(int argc, char** argv) {
    using corvane::bench::compareWith;
    compareWith("UpdateAllFifty/50", "UpdateSlowestAlone", 1.5);
    compareWith("UpdateAllFifty/16", "UpdateSlowestAlone");
    return corvane::bench::runBenchmarks(argc, argv);
}
