#pragma once

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Utf.h"

// The scripted HTTP server (tests/support/http_test_server.py) that the ctest fixture starts
// before these tests and stops after them; its ports are read from the file it writes.
namespace corvane::testing {

// The server's https ports, by the certificate each presents.
enum class Certificate { Trusted, SelfSigned, Expired, OtherHost };

struct TestServerPorts {
    int port = 0;
    // A port nobody listens on, for a refused connection.
    int refusedPort = 0;
    int httpsPorts[4] = {};
};

inline const TestServerPorts& testServerPorts() {
    static const TestServerPorts ports = [] {
        TestServerPorts result;
        std::ifstream file(CORVANE_TEST_SERVER_STATE ".port");
        if (!(file >> result.port >> result.refusedPort >> result.httpsPorts[0] >> result.httpsPorts[1] >>
              result.httpsPorts[2] >> result.httpsPorts[3]))
            throw std::runtime_error("no test server port in " CORVANE_TEST_SERVER_STATE
                                     ".port: run the tests through ctest, whose fixture starts the server");
        return result;
    }();
    return ports;
}

// "http://127.0.0.1:<port>" followed by the path (and query).
inline std::u16string serverUrl(std::string_view path) {
    return fromUtf8("http://127.0.0.1:" + std::to_string(testServerPorts().port) + std::string(path));
}

// "https://127.0.0.1:<port>" of the port presenting `certificate`, followed by the path.
inline std::u16string httpsUrl(Certificate certificate, std::string_view path) {
    return fromUtf8(
        "https://127.0.0.1:" + std::to_string(testServerPorts().httpsPorts[static_cast<int>(certificate)]) +
        std::string(path));
}

// The test authority that issued the Trusted certificate, as PEM.
inline const char kTestAuthorityFile[] = CORVANE_TEST_SERVER_STATE ".ca.pem";

inline std::u16string refusedUrl() {
    return fromUtf8("http://127.0.0.1:" + std::to_string(testServerPorts().refusedPort) + "/body?size=10");
}

// The bytes the server's /body, /drip and /stall send: byte i is i % 251.
inline std::vector<uint8_t> serverPattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i % 251);
    return bytes;
}

}  // namespace corvane::testing
