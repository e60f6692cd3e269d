#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

// The smallest HTTP server the update benchmark needs: on 127.0.0.1 at a port the system picks, it
// answers each GET of a published path with its bytes (404 for any other), one request per
// connection. It serves from its own thread, stops when destroyed, and stops by itself once its
// lifetime is over, so a benchmark that hangs or is killed never leaves it listening for long.
namespace corvane::bench {

class LoopbackServer {
  public:
    explicit LoopbackServer(std::chrono::seconds lifetime);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Serves the bytes at the path ("/feed-1000.xml"); they must stay alive as long as the server.
    void publish(const std::string& path, std::string_view bytes);
    // "http://127.0.0.1:<port><path>".
    std::string url(const std::string& path) const;

  private:
    void run();
    void answer(int connection);

    int listener_ = -1;
    int port_ = 0;
    const std::chrono::steady_clock::time_point deadline_;
    std::atomic<bool> stopping_{false};
    std::mutex lock_;
    std::map<std::string, std::string_view> documents_;
    std::thread thread_;
};

}  // namespace corvane::bench
