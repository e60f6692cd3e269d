// Updates over https against the loopback server: only a certificate from a trusted authority, for
// the host asked for and within its dates, lets the feed in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Utf.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"
#include "support/TrustedTestAuthority.h"

namespace corvane {
namespace {

using testing::Certificate;

class HttpsUpdate : public ::testing::Test {
  protected:
    testing::ProgramRun corvane(std::vector<std::string> arguments) {
        return testing::runProgram(CORVANE_EXE, arguments, scratch.path());
    }
    std::string dir() const { return toUtf8(news.path().u16string()); }
    static std::string url(Certificate certificate) {
        return toUtf8(testing::httpsUrl(certificate, "/feed?items=3"));
    }
    // A news folder that already holds two messages from plain http.
    void createFolder() {
        ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
        ASSERT_EQ(corvane({"config", dir(), "--url", toUtf8(testing::serverUrl("/feed?items=2&first=10"))})
                      .exitCode,
                  0);
        ASSERT_EQ(corvane({"update", dir(), "--quiet"}).exitCode, 0);
    }
    // Updates from `address` and expects the download to fail with both files as they were.
    void expectRefused(const std::string& address) {
        ASSERT_EQ(corvane({"config", dir(), "--url", address}).exitCode, 0);
        const std::string items = news.read("rssitems.xml");
        const std::string settings = news.read("corvane.xml");
        testing::ProgramRun run = corvane({"update", dir()});
        EXPECT_EQ(run.exitCode, 1) << address;
        EXPECT_NE(run.err.find("Unable to download RSS feed: " + address), std::string::npos) << run.err;
        EXPECT_EQ(news.read("rssitems.xml"), items) << address;
        EXPECT_EQ(news.read("corvane.xml"), settings) << address;
    }

    testing::TempFolder scratch;
    testing::TempFolder news;
};

TEST_F(HttpsUpdate, CertificateFromATrustedAuthorityServesTheFeed) {
    testing::TrustedTestAuthority trusted(testing::kTestAuthorityFile);
    createFolder();
    ASSERT_EQ(corvane({"config", dir(), "--url", url(Certificate::Trusted)}).exitCode, 0);
    // Verbose, so that a failure shows why the download failed (the WinINet error under Wine).
    testing::ProgramRun run = corvane({"--verbose", "update", dir()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(news.read("rssitems.xml").find("<guid>message-2</guid>"), std::string::npos);
}

TEST_F(HttpsUpdate, SelfSignedExpiredAndOtherHostCertificatesAreRefused) {
    testing::TrustedTestAuthority trusted(testing::kTestAuthorityFile);
    createFolder();
    expectRefused(url(Certificate::SelfSigned));
    expectRefused(url(Certificate::Expired));
    expectRefused(url(Certificate::OtherHost));
}

// The authority is trusted only where the test made it so: verification is the product's own.
TEST_F(HttpsUpdate, UntrustedAuthorityIsRefused) {
    createFolder();
    expectRefused(url(Certificate::Trusted));
}

}  // namespace
}  // namespace corvane
