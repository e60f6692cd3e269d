#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace corvane::bench {
namespace {

// How long a wait on a socket may last before the stop request and the deadline are looked at.
constexpr int kPollMilliseconds = 200;
// A client that sends no complete request in this time is dropped.
constexpr auto kRequestTimeout = std::chrono::seconds(10);

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

}  // namespace

LoopbackServer::LoopbackServer(std::chrono::seconds lifetime)
    : deadline_(std::chrono::steady_clock::now() + lifetime) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) fail("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(listener_);
        fail("listening on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

LoopbackServer::~LoopbackServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

void LoopbackServer::publish(const std::string& path, std::string_view bytes) {
    std::lock_guard guard(lock_);
    documents_[path] = bytes;
}

std::string LoopbackServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackServer::run() {
    while (!stopping_ && std::chrono::steady_clock::now() < deadline_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, kPollMilliseconds) <= 0) continue;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        answer(connection);
        ::close(connection);
    }
}

void LoopbackServer::answer(int connection) {
    const auto requestDeadline = std::chrono::steady_clock::now() + kRequestTimeout;
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (stopping_ || std::chrono::steady_clock::now() > requestDeadline || request.size() > 65536) return;
        pollfd waiting{connection, POLLIN, 0};
        if (::poll(&waiting, 1, kPollMilliseconds) <= 0) continue;
        const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
        if (count <= 0) return;
        request.append(buffer, static_cast<size_t>(count));
    }
    std::string_view body;
    bool found = false;
    if (request.starts_with("GET ")) {
        const std::string path = request.substr(4, request.find(' ', 4) - 4);
        std::lock_guard guard(lock_);
        auto document = documents_.find(path);
        if (document != documents_.end()) {
            body = document->second;
            found = true;
        }
    }
    const std::string head = std::string(found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                             "Content-Type: application/rss+xml; charset=utf-8\r\n" +
                             "Content-Length: " + std::to_string(body.size()) +
                             "\r\nConnection: close\r\n\r\n";
    // A send to a client that stopped reading returns now and then, so that stopping is never held up.
    const timeval sendTimeout{0, kPollMilliseconds * 1000};
    ::setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    auto sendAll = [&](std::string_view bytes) {
        while (!bytes.empty() && !stopping_ && std::chrono::steady_clock::now() < deadline_) {
            const ssize_t sent = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
            if (sent <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(sent));
        }
        return bytes.empty();
    };
    if (sendAll(head)) sendAll(body);
}

}  // namespace corvane::bench
