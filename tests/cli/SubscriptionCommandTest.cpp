// import, export and update --all as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Utf.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"

namespace corvane {
namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '&' ? std::string("&amp;") : std::string(1, c);
    return out;
}

class Subscriptions : public ::testing::Test {
  protected:
    testing::ProgramRun corvane(std::vector<std::string> arguments) {
        return testing::runProgram(CORVANE_EXE, arguments, scratch.path());
    }
    std::string url(const std::string& path) const { return toUtf8(testing::serverUrl(path)); }
    std::string dir() const { return toUtf8(news.path().u16string()); }
    // An OPML file in the scratch folder with a feed outline per (title, URL).
    std::string opml(const std::vector<std::pair<std::string, std::string>>& feeds) {
        std::string body;
        for (const auto& [title, feedUrl] : feeds)
            body += "<outline text=\"" + title + "\" type=\"rss\" xmlUrl=\"" + escaped(feedUrl) + "\"/>\n";
        scratch.write("subs.opml",
                      "<?xml version=\"1.0\"?>\n<opml version=\"1.1\"><head><title>t</title></head>"
                      "<body><outline text=\"Group\">" +
                          body + "</outline></body></opml>\n");
        return toUtf8(scratch.file("subs.opml"));
    }

    testing::TempFolder scratch;
    testing::TempFolder news;
};

TEST_F(Subscriptions, ImportUpdatesExportsAndUpdatesAll) {
    std::string list = opml({{"One", url("/feed?items=2")},
                             {"Two", url("/feed?items=3&first=10")},
                             {"Script", "javascript:alert(1)"}});
    testing::ProgramRun imported = corvane({"import", list, dir(), "--update"});
    EXPECT_EQ(imported.exitCode, 1) << imported.err;  // the script outline could not be made
    for (const char* line : {"made Group/One (", "made Group/Two (",
                             "skipped 'Script' (javascript:alert(1)): ", "2 made, 0 kept, 1 skipped\n",
                             "Group/One: 2 new message(s)\n", "Group/Two: 3 new message(s)\n",
                             "2 of 2 feed(s) updated, 5 new message(s)\n"})
        EXPECT_NE(imported.out.find(line), std::string::npos) << line << " in\n" << imported.out;

    testing::ProgramRun all = corvane({"update", "--all", dir(), "--jobs", "2"});
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_NE(all.out.find("2 of 2 feed(s) updated, 0 new message(s)\n"), std::string::npos) << all.out;

    std::string exported = toUtf8(scratch.file("out.opml"));
    EXPECT_EQ(corvane({"export", dir(), "-o", exported}).exitCode, 0);
    testing::TempFolder again;
    testing::ProgramRun reimported = corvane({"import", exported, toUtf8(again.path().u16string())});
    EXPECT_EQ(reimported.exitCode, 0) << reimported.err;
    EXPECT_NE(reimported.out.find("2 made, 0 kept, 0 skipped\n"), std::string::npos) << reimported.out;
    // Channel titles came with the update, and name the folders of the second import.
    EXPECT_TRUE(std::filesystem::exists(again.path() / "Group" / "Test feed"));
    EXPECT_TRUE(std::filesystem::exists(again.path() / "Group" / "Test feed (2)"));
}

TEST_F(Subscriptions, UpdateAllSaysWhichFeedFailedAndExitsWith1) {
    ASSERT_EQ(corvane({"import", opml({{"Good", url("/feed?items=1")}, {"Gone", url("/notfound")}}), dir()})
                  .exitCode,
              0);
    testing::ProgramRun all = corvane({"update", "--all", dir()});
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_NE(all.out.find("Group/Gone: failed: "), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("Group/Good: 1 new message(s)\n"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("1 of 2 feed(s) updated, 1 new message(s), 1 failed\n"), std::string::npos)
        << all.out;
}

TEST_F(Subscriptions, BadUsageAndBadFilesChangeNothing) {
    EXPECT_EQ(corvane({"update", dir(), "--jobs", "2"}).exitCode, 2);
    EXPECT_EQ(corvane({"update", "--all", dir(), "--jobs", "0"}).exitCode, 2);
    EXPECT_EQ(corvane({"import", dir()}).exitCode, 2);
    testing::ProgramRun none = corvane({"update", "--all", dir()});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("no news folder below"), std::string::npos) << none.err;
    scratch.write("bomb.opml",
                  "<?xml version=\"1.0\"?><!DOCTYPE opml [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
                  "<opml><body><outline text=\"&b;\" xmlUrl=\"http://x/\"/></body></opml>");
    testing::ProgramRun bomb = corvane({"import", toUtf8(scratch.file("bomb.opml")), dir()});
    EXPECT_EQ(bomb.exitCode, 1);
    EXPECT_NE(bomb.err.find("could expand without bound"), std::string::npos) << bomb.err;
    EXPECT_TRUE(std::filesystem::is_empty(news.path()));
}

#ifndef _WIN32
// Ctrl-C while one server stalls: the good feed is in, the stalled one cancelled, exit status 130.
TEST_F(Subscriptions, InterruptedUpdateAllLetsTheOthersFinish) {
    ASSERT_EQ(
        corvane({"import",
                 opml({{"A stalled", url("/stall?after=0&seconds=60")}, {"Good", url("/feed?items=2")}}),
                 dir()})
            .exitCode,
        0);
    testing::ProgramRun run = testing::runAndInterrupt(CORVANE_EXE, {"update", "--all", dir()},
                                                       scratch.path(), std::chrono::seconds(1));
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_NE(run.out.find("Group/Good: 2 new message(s)\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Group/A stalled: cancelled\n"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(news.path() / "Group" / "A stalled" / "rssitems.xml"));
}
#endif

}  // namespace
}  // namespace corvane
