#include "folder/FeedUpdateAll.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "feedstore/FeedUpdate.h"
#include "feedstore/RSSObject.h"
#include "folder/FolderSystem.h"
#include "folder/NewsFolder.h"
#include "platform/ComApartment.h"
#include "platform/Utf.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"

namespace corvane::folder {
namespace {

namespace fs = std::filesystem;

class FeedUpdateAll : public ::testing::Test {
  protected:
    // A news folder at `relative` below the target, reading `url`.
    void newsFolder(const std::string& relative, const std::u16string& url) {
        fs::path path = target.path() / relative;
        fs::create_directories(path);
        ASSERT_EQ(createNewsFolder(path.u16string()).status, FolderStatus::Done);
        std::unique_ptr<RSSObject> settings =
            loadRSSObject(joinPath(path.u16string(), kSettingsFile), joinPath(path.u16string(), kItemsFile));
        settings->url = url;
        ASSERT_TRUE(settings->storeSettings());
    }

    ComApartment apartment;
    corvane::testing::TempFolder target;
};

// One stalled server takes one of the four places; twenty good feeds and a failing one go through
// the other three, and the stalled one ends only when the run is stopped.
TEST_F(FeedUpdateAll, AStalledFeedDelaysOnlyItself) {
    newsFolder("A stalled", testing::serverUrl("/stall?after=0&seconds=60"));
    newsFolder("Broken", testing::serverUrl("/notfound"));
    for (int i = 0; i < 20; ++i)
        newsFolder("group/feed " + std::to_string(100 + i),
                   testing::serverUrl("/feed?items=3&first=" + std::to_string(i * 10)));
    newsFolder("group/no url", u"");
    std::vector<UpdateTarget> targets = newsFoldersBelow(target.path().u16string());
    ASSERT_EQ(targets.size(), 23u);
    EXPECT_EQ(targets[0].name, u"A stalled");  // started first, so it holds a place throughout

    std::atomic<bool> stop{false};
    std::mutex lock;
    size_t goodEnded = 0;
    bool stalledEndedBeforeTheRest = false;
    UpdateAllObserver observer;
    observer.ended = [&](const FeedUpdateOutcome& outcome, size_t, size_t) {
        if (outcome.target.name == u"A stalled") {
            stalledEndedBeforeTheRest = goodEnded < 20;
            return;
        }
        std::lock_guard<std::mutex> guard(lock);
        if (outcome.ending == UpdateEnding::Updated && ++goodEnded == 20) stop = true;
    };
    std::vector<FeedUpdateOutcome> outcomes = updateAll(
        targets, 4, [&] { return stop.load(); }, observer);
    EXPECT_FALSE(stalledEndedBeforeTheRest);
    ASSERT_EQ(outcomes.size(), 23u);
    EXPECT_EQ(outcomes[0].ending, UpdateEnding::Cancelled);
    EXPECT_EQ(outcomes[1].ending, UpdateEnding::Failed);
    EXPECT_NE(outcomes[1].failure.find(u"/notfound"), std::u16string::npos) << toUtf8(outcomes[1].failure);
    for (size_t i = 2; i < 22; ++i) {
        EXPECT_EQ(outcomes[i].ending, UpdateEnding::Updated) << toUtf8(outcomes[i].target.name);
        EXPECT_EQ(outcomes[i].newMessages, 3u);
        EXPECT_TRUE(fs::exists(fs::path(outcomes[i].target.path) / "rssitems.xml"));
    }
    EXPECT_EQ(outcomes[22].ending, UpdateEnding::Failed);
    EXPECT_EQ(outcomes[22].failure, u"no feed URL yet");
    EXPECT_FALSE(fs::exists(target.path() / "A stalled" / "rssitems.xml"));
}

TEST_F(FeedUpdateAll, AStopBeforeTheStartUpdatesNothing) {
    newsFolder("one", testing::serverUrl("/feed?items=2"));
    std::vector<FeedUpdateOutcome> outcomes =
        updateAll(newsFoldersBelow(target.path().u16string()), 4, [] { return true; });
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].ending, UpdateEnding::Cancelled);
    EXPECT_FALSE(fs::exists(target.path() / "one" / "rssitems.xml"));
}

TEST_F(FeedUpdateAll, ASecondUpdateFindsNothingNew) {
    newsFolder("one", testing::serverUrl("/feed?items=5"));
    std::vector<UpdateTarget> targets = newsFoldersBelow(target.path().u16string());
    EXPECT_EQ(updateAll(targets, 2, {})[0].newMessages, 5u);
    FeedUpdateOutcome again = updateAll(targets, 2, {})[0];
    EXPECT_EQ(again.ending, UpdateEnding::Updated);
    EXPECT_EQ(again.newMessages, 0u);
}

using ConditionalUpdate = FeedUpdateAll;

std::u16string storedUrl(const fs::path& folder) {
    return loadRSSObject(joinPath(folder.u16string(), kSettingsFile),
                         joinPath(folder.u16string(), kItemsFile))
        ->url;
}

// The server answers a second request with new messages unless it carries the validators of the
// first answer; with them it answers 304, and the folder's files stay as they were, bytes and times.
TEST_F(ConditionalUpdate, ANotModifiedAnswerWritesNothing) {
    for (const char* query :
         {"/conditional?items=3&etag=%22e1%22",
          "/conditional?items=3&etag=-&modified=Wed,%2011%20Jun%202003%2001:00:00%20GMT"}) {
        SCOPED_TRACE(query);
        fs::remove_all(target.path() / "one");
        newsFolder("one", testing::serverUrl(query));
        UpdateTarget one{(target.path() / "one").u16string(), u"one"};
        FeedUpdateOutcome first = updateNewsFolder(one, {});
        ASSERT_EQ(first.ending, UpdateEnding::Updated) << toUtf8(first.failure);
        ASSERT_EQ(first.newMessages, 3u);
        std::unique_ptr<RSSObject> settings =
            loadRSSObject(joinPath(one.path, kSettingsFile), joinPath(one.path, kItemsFile));
        EXPECT_EQ(settings->getParam(kETagParam, u"").empty(),
                  std::string(query).find("etag=-") != std::string::npos);
        EXPECT_FALSE(settings->getParam(kLastModifiedParam, u"").empty());

        const fs::path files[] = {target.path() / "one" / "corvane.xml",
                                  target.path() / "one" / "rssitems.xml"};
        std::string bytes[2];
        fs::file_time_type times[2];
        for (int i = 0; i < 2; ++i) {
            bytes[i] = target.read("one/" + files[i].filename().string());
            times[i] = fs::last_write_time(files[i]);
        }
        FeedUpdateOutcome second = updateNewsFolder(one, {});
        EXPECT_EQ(second.ending, UpdateEnding::Updated) << toUtf8(second.failure);
        EXPECT_EQ(second.newMessages, 0u);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(target.read("one/" + files[i].filename().string()), bytes[i]) << files[i];
            EXPECT_EQ(fs::last_write_time(files[i]), times[i]) << files[i];
        }
    }
}

// The validators belong to the URL that sent them: given another URL, the folder asks for its whole
// document even where that server would answer 304 to them.
TEST_F(ConditionalUpdate, ANewUrlGetsTheWholeDocument) {
    newsFolder("one", testing::serverUrl("/conditional?items=2&etag=%22e1%22"));
    const fs::path path = target.path() / "one";
    UpdateTarget one{path.u16string(), u"one"};
    ASSERT_EQ(updateNewsFolder(one, {}).newMessages, 2u);

    std::unique_ptr<RSSObject> settings =
        loadRSSObject(joinPath(one.path, kSettingsFile), joinPath(one.path, kItemsFile));
    settings->url = testing::serverUrl("/conditional?items=3&etag=%22e1%22");
    ASSERT_TRUE(settings->storeSettings());
    FeedUpdateOutcome moved = updateNewsFolder(one, {});
    EXPECT_EQ(moved.ending, UpdateEnding::Updated) << toUtf8(moved.failure);
    EXPECT_EQ(moved.newMessages, 3u);
    // From then on the new URL's validators are sent to it.
    EXPECT_EQ(updateNewsFolder(one, {}).newMessages, 0u);
    EXPECT_EQ(storedUrl(path), testing::serverUrl("/conditional?items=3&etag=%22e1%22"));
}

TEST_F(ConditionalUpdate, OnlyPermanentRedirectsMoveTheFeed) {
    const std::u16string destination = testing::serverUrl("/feed?items=2");
    struct Case {
        const char* status;
        bool moves;
    } cases[] = {{"301", true}, {"308", true}, {"302", false}, {"307", false}};
    for (const Case& c : cases) {
        const std::string name = std::string("via ") + c.status;
        const std::u16string url =
            testing::serverUrl(std::string("/redirect?status=") + c.status + "&to=" + toUtf8(destination));
        newsFolder(name, url);
        FeedUpdateOutcome outcome =
            updateNewsFolder({(target.path() / name).u16string(), fromUtf8(name)}, {});
        ASSERT_EQ(outcome.ending, UpdateEnding::Updated) << name << ": " << toUtf8(outcome.failure);
        EXPECT_EQ(outcome.newMessages, 2u) << name;
        EXPECT_EQ(storedUrl(target.path() / name), c.moves ? destination : url) << name;
    }
}

}  // namespace
}  // namespace corvane::folder
