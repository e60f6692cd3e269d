// The corvane program as a user runs it: exit codes, messages, and the files it leaves.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/System.h"
#include "platform/Utf.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"

namespace corvane {
namespace {

class Command : public ::testing::Test {
  protected:
    testing::ProgramRun corvane(std::vector<std::string> arguments) {
        return testing::runProgram(CORVANE_EXE, arguments, scratch.path());
    }
    std::string dir() const { return toUtf8(news.path().u16string()); }
    std::string url(const std::string& path) const { return toUtf8(testing::serverUrl(path)); }
    size_t rowsListed() {
        testing::ProgramRun run = corvane({"list", dir(), "--json"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        size_t rows = 0;
        for (size_t at = run.out.find("\"row\""); at != std::string::npos;
             at = run.out.find("\"row\"", at + 1))
            ++rows;
        return rows;
    }

    testing::TempFolder scratch;
    testing::TempFolder news;
};

TEST_F(Command, UsageErrorsExitWith2) {
    EXPECT_EQ(corvane({}).exitCode, 2);
    EXPECT_EQ(corvane({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(corvane({"--bogus"}).exitCode, 2);
    EXPECT_EQ(corvane({"list"}).exitCode, 2);
    EXPECT_EQ(corvane({"list", dir(), "--bogus"}).exitCode, 2);
    EXPECT_EQ(corvane({"list", dir(), "--sort", "size"}).exitCode, 2);
    EXPECT_EQ(corvane({"list", dir(), "--descending"}).exitCode, 2);
    EXPECT_EQ(corvane({"label", dir(), "7", "0"}).exitCode, 2);
    EXPECT_EQ(corvane({"label", dir(), "x", "0"}).exitCode, 2);
    EXPECT_EQ(corvane({"config", dir(), "--set", "nosuch=on"}).exitCode, 2);
    EXPECT_EQ(corvane({"config", dir(), "--set", "displayTime=maybe"}).exitCode, 2);
    EXPECT_EQ(corvane({"config", dir(), "--set", "displayTime"}).exitCode, 2);
    testing::ProgramRun run = corvane({"config", dir(), "--set", "Displaytime=on"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("unknown option 'Displaytime'"), std::string::npos) << run.err;
}

TEST_F(Command, HelpAndVersion) {
    testing::ProgramRun help = corvane({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: corvane"), std::string::npos);
    for (const char* command :
         {"create", "remove", "config", "update", "list", "show", "label", "delete", "view"}) {
        testing::ProgramRun run = corvane({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_NE(run.out.find(std::string("usage: corvane ") + command), std::string::npos) << run.out;
    }
    EXPECT_EQ(corvane({"--version"}).out, "corvane " CORVANE_VERSION "\n");
}

TEST_F(Command, FoldersThatAreNoNewsFoldersAreNamed) {
    testing::ProgramRun plain = corvane({"list", dir()});
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_NE(plain.err.find("is not a news folder"), std::string::npos) << plain.err;
    testing::ProgramRun missing = corvane({"list", dir() + "/nowhere"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no such folder"), std::string::npos) << missing.err;
    EXPECT_EQ(corvane({"remove", dir(), "--yes"}).exitCode, 1);
    EXPECT_EQ(corvane({"create", dir() + "/nowhere"}).exitCode, 1);
}

TEST_F(Command, ViewOpensOnlyNewsFoldersAndOnlyOnWindows) {
    EXPECT_EQ(corvane({"view"}).exitCode, 2);
    EXPECT_EQ(corvane({"view", dir(), dir()}).exitCode, 2);
    testing::ProgramRun plain = corvane({"view", dir()});
    EXPECT_EQ(plain.exitCode, 1);
#ifdef _WIN32
    EXPECT_NE(plain.err.find("is not a news folder"), std::string::npos) << plain.err;
#else
    // Even for a news folder: the window hosts the DLL's view.
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    testing::ProgramRun news = corvane({"view", dir()});
    EXPECT_EQ(news.exitCode, 1);
    EXPECT_NE(news.err.find("needs Windows"), std::string::npos) << news.err;
    EXPECT_NE(news.err.find("corvane.exe view"), std::string::npos) << news.err;
#endif
}

TEST_F(Command, CreateListConfigureUpdateLabelDeleteShowRemove) {
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    for (const char* file : {"corvane.xml", "desktop.ini", "readme.txt"})
        EXPECT_TRUE(news.exists(file)) << file;
    testing::ProgramRun again = corvane({"create", dir()});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.err.find("already"), std::string::npos) << again.err;

    // Not configured: the one row of the list.
    testing::ProgramRun unconfigured = corvane({"list", dir(), "--json"});
    EXPECT_EQ(unconfigured.exitCode, 0);
    EXPECT_NE(unconfigured.out.find("\"title\": \"Corvane is not configured. Double-click to proceed with "
                                    "configuration.\""),
              std::string::npos)
        << unconfigured.out;
    EXPECT_EQ(corvane({"update", dir()}).exitCode, 1);

    ASSERT_EQ(corvane({"config", dir(), "--url", url("/feed?items=5"), "--set", "formatTime=dmy"}).exitCode,
              0);
    testing::ProgramRun shown = corvane({"config", dir(), "--show"});
    EXPECT_NE(shown.out.find("url: " + url("/feed?items=5")), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("formatTime: dmy"), std::string::npos) << shown.out;

    testing::ProgramRun update = corvane({"update", dir(), "--quiet"});
    ASSERT_EQ(update.exitCode, 0) << update.err;
    EXPECT_EQ(rowsListed(), 5u);
    testing::ProgramRun list = corvane({"list", dir(), "--sort", "title", "--descending"});
    EXPECT_EQ(list.out.rfind("row\ttitle\tdescription\tlink\tdate\tlabel\tid\n0\tMessage 4\t", 0), 0u)
        << list.out;
    EXPECT_NE(list.out.find("10.06.2003"), std::string::npos) << list.out;

    ASSERT_EQ(corvane({"label", dir(), "3", "0", "--sort", "title"}).exitCode, 0);
    testing::ProgramRun labelled = corvane({"list", dir(), "--json", "--sort", "title"});
    EXPECT_NE(labelled.out.find("\"title\": \"Message 0\""), std::string::npos);
    EXPECT_NE(labelled.out.find("\"label\": 3"), std::string::npos) << labelled.out;

    // Without a terminal, deleting needs --yes; then the message never comes back.
    EXPECT_EQ(corvane({"delete", dir(), "0"}).exitCode, 1);
    EXPECT_EQ(rowsListed(), 5u);
    EXPECT_EQ(corvane({"delete", dir(), "9"}).exitCode, 1);
    ASSERT_EQ(corvane({"delete", dir(), "0", "--yes", "--sort", "title"}).exitCode, 0);
    EXPECT_EQ(rowsListed(), 4u);
    ASSERT_EQ(corvane({"update", dir(), "--quiet"}).exitCode, 0);
    EXPECT_EQ(rowsListed(), 4u);
    EXPECT_EQ(corvane({"list", dir()}).out.find("Message 0\t"), std::string::npos);

    ASSERT_EQ(corvane({"show", dir(), "0", "-o", toUtf8(scratch.file("page.html"))}).exitCode, 0);
    const std::string page = scratch.read("page.html");
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<h1>Message 1</h1>"), std::string::npos) << page;
    EXPECT_EQ(corvane({"show", dir(), "4"}).exitCode, 1);

    EXPECT_EQ(corvane({"remove", dir()}).exitCode, 1);  // no terminal, no --yes: nothing happens
    EXPECT_TRUE(news.exists("desktop.ini"));
    ASSERT_EQ(corvane({"remove", dir(), "--yes"}).exitCode, 0);
    for (const char* file : {"corvane.xml", "desktop.ini", "readme.txt", "rssitems.xml"})
        EXPECT_FALSE(news.exists(file)) << file;
}

TEST_F(Command, FailedUpdatesSayWhyAndChangeNothing) {
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    ASSERT_EQ(corvane({"config", dir(), "--url", url("/feed?items=2")}).exitCode, 0);
    ASSERT_EQ(corvane({"update", dir(), "--quiet"}).exitCode, 0);
    const std::string stored = news.read("rssitems.xml");

    ASSERT_EQ(corvane({"config", dir(), "--url", url("/echo-headers")}).exitCode, 0);
    testing::ProgramRun notRss = corvane({"update", dir()});
    EXPECT_EQ(notRss.exitCode, 1);
    EXPECT_NE(notRss.err.find("Requested url is not valid RSS XML: " + url("/echo-headers")),
              std::string::npos)
        << notRss.err;

    // An error page is no document to read: the download failed.
    ASSERT_EQ(corvane({"config", dir(), "--url", url("/notfound")}).exitCode, 0);
    testing::ProgramRun notFound = corvane({"update", dir()});
    EXPECT_EQ(notFound.exitCode, 1);
    EXPECT_NE(notFound.err.find("Unable to download RSS feed: " + url("/notfound")), std::string::npos)
        << notFound.err;

    const std::string refused = toUtf8(testing::refusedUrl());
    ASSERT_EQ(corvane({"config", dir(), "--url", refused}).exitCode, 0);
    testing::ProgramRun failed = corvane({"update", dir()});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("Unable to download RSS feed: " + refused), std::string::npos) << failed.err;
    EXPECT_EQ(news.read("rssitems.xml"), stored);
}

// The corpus of feeds as the web serves them: a feed of each format updates, and what it gives is
// listed and shown (the page shows the whole content); a second update finds nothing new.
struct CorpusFeed {
    const char* file;
    size_t messages;
    const char* listed;  // a piece of the JSON list
    const char* shown;   // a piece of the first message's page
};

// Names the case in test lists by its file.
void PrintTo(const CorpusFeed& feed, std::ostream* out) {
    const std::string_view file(feed.file);
    *out << file.substr(0, file.find('&'));
}

class CorpusFeeds : public Command, public ::testing::WithParamInterface<CorpusFeed> {};

TEST_P(CorpusFeeds, UpdateListAndShow) {
    const CorpusFeed& feed = GetParam();
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    ASSERT_EQ(corvane({"config", dir(), "--url", url(std::string("/file?name=feeds/") + feed.file)}).exitCode,
              0);
    testing::ProgramRun update = corvane({"update", dir()});
    ASSERT_EQ(update.exitCode, 0) << update.err;
    testing::ProgramRun list = corvane({"list", dir(), "--json"});
    EXPECT_NE(list.out.find(feed.listed), std::string::npos) << list.out;
    size_t rows = 0;
    for (size_t at = list.out.find("\"row\""); at != std::string::npos; at = list.out.find("\"row\"", at + 1))
        ++rows;
    EXPECT_EQ(rows, feed.messages);
    testing::ProgramRun page = corvane({"show", dir(), "0"});
    EXPECT_NE(page.out.find(feed.shown), std::string::npos) << page.out;
    EXPECT_EQ(corvane({"update", dir(), "--quiet"}).exitCode, 0);
    EXPECT_EQ(rowsListed(), feed.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CorpusFeeds,
    ::testing::Values(
        // Relative references are resolved against the URL the feed came from.
        CorpusFeed{"blog-rss.xml&encoding=gzip", 2, "\"author\": \"Maren Holt\"",
                   "<a href=\"http://127.0.0.1:"},
        CorpusFeed{"code-host-atom.xml&encoding=gzip", 2,
                   "\"guid\": \"tag:code.example,2008:Grit::Commit/4f2a9c1d\"", "Closes #412"},
        CorpusFeed{
            "video-atom.xml", 1,
            "\"enclosure\": {\"url\": \"http://127.0.0.1/media/a1B2c3D4e5F.mp4\", \"length\": 73400320, "
            "\"type\": \"video/mp4\"}",
            "Sharpening a plane iron by hand"},
        CorpusFeed{"journal-rdf.xml", 2, "\"date\": \"2026-12-09 00:00:00\"", "<i>no</i> seasonal effect"},
        CorpusFeed{"xml-base-atom.xml", 1,
                   "\"link\": \"http://127.0.0.1/standards/drafts/2026/draft-14.html\"",
                   "<a href=\"http://127.0.0.1/standards/changes/d14.html\">the changes</a>"}),
    [](const ::testing::TestParamInfo<CorpusFeed>& info) {
        std::string name;
        for (const char* c = info.param.file; *c && *c != '.'; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
        return name;
    });

TEST_F(Command, PageThatNamesItsFeedMakesThatFeedTheFolders) {
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    ASSERT_EQ(corvane({"config", dir(), "--url", url("/file?name=feeds/page-with-feed.html")}).exitCode, 0);
    testing::ProgramRun update = corvane({"update", dir()});
    ASSERT_EQ(update.exitCode, 0) << update.err;
    EXPECT_EQ(rowsListed(), 2u);
    EXPECT_NE(news.read("corvane.xml").find(url("/file?name=feeds/blog-rss.xml")), std::string::npos)
        << news.read("corvane.xml");

    ASSERT_EQ(corvane({"config", dir(), "--url", url("/file?name=feeds/page-without-feed.html")}).exitCode,
              0);
    testing::ProgramRun refused = corvane({"update", dir()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Requested url is not valid RSS XML: "), std::string::npos) << refused.err;
}

#ifndef _WIN32
TEST_F(Command, InterruptedUpdateIsCancelledAndKeepsTheStore) {
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    ASSERT_EQ(corvane({"config", dir(), "--url", url("/feed?items=3")}).exitCode, 0);
    ASSERT_EQ(corvane({"update", dir(), "--quiet"}).exitCode, 0);
    const std::string stored = news.read("rssitems.xml");
    ASSERT_EQ(corvane({"config", dir(), "--url", url("/drip?size=100&interval_ms=100")}).exitCode, 0);

    // Ctrl-C into a download that takes ten seconds.
    testing::ProgramRun run = testing::runAndInterrupt(CORVANE_EXE, {"update", dir()}, scratch.path(),
                                                       std::chrono::milliseconds(300));
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_NE(run.err.find("Update cancelled"), std::string::npos) << run.err;
    EXPECT_EQ(news.read("rssitems.xml"), stored);
}
#endif

TEST_F(Command, InfoShowsTheChannelAndTheStatusText) {
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    EXPECT_NE(corvane({"info", dir()}).out.find("status: Corvane is not configured\n"), std::string::npos);
    ASSERT_EQ(corvane({"config", dir(), "--url", url("/feed?items=3")}).exitCode, 0);
    ASSERT_EQ(corvane({"update", dir(), "--quiet"}).exitCode, 0);
    testing::ProgramRun info = corvane({"info", dir()});
    EXPECT_EQ(info.exitCode, 0);
    for (const char* line :
         {"title: Test feed\n", "messages: 3\n", "unread: 3\n", "status: Title: Test feed [3, 3 unread]\n"})
        EXPECT_NE(info.out.find(line), std::string::npos) << line << " in " << info.out;
    ASSERT_EQ(corvane({"read", dir(), "--all"}).exitCode, 0);
    EXPECT_NE(corvane({"info", dir()}).out.find("unread: 0\nstatus: Title: Test feed [3]\n"),
              std::string::npos);
}

TEST_F(Command, UpdatesBringUnreadMessagesThatReadAndUnreadChange) {
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    ASSERT_EQ(corvane({"config", dir(), "--url", url("/feed?items=3")}).exitCode, 0);
    testing::ProgramRun update = corvane({"update", dir()});
    ASSERT_EQ(update.exitCode, 0) << update.err;
    EXPECT_NE(update.err.find("3 new message(s), 3 unread, 3 in all\n"), std::string::npos) << update.err;

    EXPECT_EQ(corvane({"read", dir()}).exitCode, 2);
    EXPECT_EQ(corvane({"read", dir(), "0", "--all"}).exitCode, 2);
    EXPECT_EQ(corvane({"unread", dir(), "--all"}).exitCode, 2);
    EXPECT_EQ(corvane({"read", dir(), "7"}).exitCode, 1);
    // Row numbers of the sorted list: titles descending, so row 0 is Message 2.
    ASSERT_EQ(corvane({"read", dir(), "0", "2", "--sort", "title", "--descending"}).exitCode, 0);
    testing::ProgramRun unread = corvane({"list", dir(), "--unread", "--json"});
    EXPECT_EQ(unread.out, "[\n {\"row\": 1, \"title\": \"Message 1\", " +
                              unread.out.substr(unread.out.find("\"description\"")));
    EXPECT_NE(unread.out.find("\"unread\": true}\n]\n"), std::string::npos) << unread.out;
    EXPECT_EQ(unread.out.find("Message 0"), std::string::npos) << unread.out;
    EXPECT_NE(corvane({"list", dir(), "--json"}).out.find("\"unread\": false}"), std::string::npos);

    ASSERT_EQ(corvane({"unread", dir(), "0"}).exitCode, 0);
    EXPECT_NE(news.read("rssitems.xml").find("<corvane_unread>1</corvane_unread>"), std::string::npos);
    ASSERT_EQ(corvane({"read", dir(), "--all"}).exitCode, 0);
    EXPECT_EQ(corvane({"list", dir(), "--unread", "--json"}).out, "[]\n");
    EXPECT_EQ(news.read("rssitems.xml").find("corvane_unread"), std::string::npos);
    // Nothing new: nothing unread either.
    EXPECT_NE(corvane({"update", dir()}).err.find("0 new message(s), 0 unread, 3 in all\n"),
              std::string::npos);
}

TEST_F(Command, OpenHandsOnlyWebLinksToTheBrowser) {
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    ASSERT_EQ(corvane({"config", dir(), "--url", url("/file?name=cli/links-feed.xml")}).exitCode, 0);
    ASSERT_EQ(corvane({"update", dir(), "--quiet"}).exitCode, 0);
    // Rows by title: File, Script, Web.
    for (const char* row : {"0", "1"}) {
        testing::ProgramRun refused = corvane({"open", dir(), row, "--sort", "title"});
        EXPECT_EQ(refused.exitCode, 1) << row;
        EXPECT_NE(refused.err.find("only http and https links are opened"), std::string::npos) << refused.err;
    }
#ifndef _WIN32
    // A browser of our own that notes what it was given.
    scratch.write("xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
    std::filesystem::permissions(scratch.path() / "xdg-open", std::filesystem::perms::owner_all);
    const std::u16string path = system::environmentVariable(u"PATH").value_or(u"");
    system::setEnvironmentVariable(u"PATH", scratch.path().u16string() + u":" + path);
    testing::ProgramRun opened = corvane({"open", dir(), "2", "--sort", "title"});
    system::setEnvironmentVariable(u"PATH", path);
    EXPECT_EQ(opened.exitCode, 0) << opened.err;
    EXPECT_EQ(scratch.read("opened.txt"), "HTTP://127.0.0.1/page?a=1&b=2");
#endif
}

TEST_F(Command, UnreadableSettingsAreReportedAndKept) {
    ASSERT_EQ(corvane({"create", dir()}).exitCode, 0);
    news.write("corvane.xml", "<corvane><url>http://127.0.0.1/half");
    for (std::vector<std::string> arguments :
         {std::vector<std::string>{"list", dir()}, {"config", dir(), "--url", "http://127.0.0.1/x"}}) {
        testing::ProgramRun run = corvane(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments[0];
        EXPECT_NE(run.err.find("cannot be read"), std::string::npos) << run.err;
    }
    EXPECT_EQ(news.read("corvane.xml"), "<corvane><url>http://127.0.0.1/half");
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST_F(Command, SearchFindsEveryWordInOneOrManyFoldersNewestFirst) {
    const std::string a = toUtf8((news.path() / "a").u16string());
    const std::string b = toUtf8((news.path() / "deeper" / "b").u16string());
    std::filesystem::create_directories(news.path() / "deeper" / "b");
    std::filesystem::create_directories(news.path() / "a");
    std::filesystem::create_directories(news.path() / "plain");
    for (const auto& [folder, feed] :
         {std::pair{a, "/feed?items=3"}, std::pair{b, "/feed?items=2&first=10"}}) {
        ASSERT_EQ(corvane({"create", folder}).exitCode, 0);
        ASSERT_EQ(corvane({"config", folder, "--url", url(feed)}).exitCode, 0);
        ASSERT_EQ(corvane({"update", folder, "--quiet"}).exitCode, 0);
    }
    ASSERT_EQ(corvane({"read", b, "0"}).exitCode, 0);

    // Every word, in any field, without regard to case or accents; the description's markup is text.
    testing::ProgramRun found = corvane({"search", "MÉSSAGE 1", a, b});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "folder\trow\tdate\ttitle\n" + b + "\t1\t2003-06-10 00:11:00\tMessage 11\n" + b +
                             "\t0\t2003-06-10 00:10:00\tMessage 10\n" + a +
                             "\t1\t2003-06-10 00:01:00\tMessage 1\n");
    EXPECT_EQ(corvane({"search", "text of message 2", a}).out,
              "folder\trow\tdate\ttitle\n" + a + "\t2\t2003-06-10 00:02:00\tMessage 2\n");
    EXPECT_EQ(corvane({"search", "message p", a}).out, "folder\trow\tdate\ttitle\n");  // the <p> is no word

    // The walk finds the news folders below; the plain folder itself is no error then.
    testing::ProgramRun json = corvane({"search", "message 1", dir(), "--recursive", "--json"});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    std::string bInJson;  // Windows paths carry backslashes, which JSON escapes
    for (char c : b)
        bInJson += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_EQ(json.out.rfind("[\n {\"folder\": \"" + bInJson + "\", \"row\": 1, \"id\": \"", 0), 0u)
        << json.out;
    EXPECT_NE(
        json.out.find("\"title\": \"Message 11\", \"date\": \"2003-06-10 00:11:00\", \"unread\": true}"),
        std::string::npos)
        << json.out;
    EXPECT_NE(
        json.out.find("\"title\": \"Message 10\", \"date\": \"2003-06-10 00:10:00\", \"unread\": false}"),
        std::string::npos)
        << json.out;
    EXPECT_EQ(corvane({"search", "nothing like it", dir(), "--recursive", "--json"}).out, "[]\n");

    EXPECT_EQ(corvane({"search", "message", dir()}).exitCode, 1);  // not a news folder
    EXPECT_EQ(
        corvane({"search", "message", toUtf8((news.path() / "plain").u16string()), "--recursive"}).exitCode,
        1);
    EXPECT_EQ(corvane({"search", "  ", a}).exitCode, 2);
    EXPECT_EQ(corvane({"search", "message"}).exitCode, 2);
}

}  // namespace
}  // namespace corvane
