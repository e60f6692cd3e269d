// The one write path: what a save writes, what it leaves alone, and what it keeps of other writers.
#include "feedstore/FolderSave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include "feedstore/FeedUpdate.h"
#include "feedstore/ItemStream.h"
#include "feedstore/StoreBaseline.h"
#include "feedstore/XmlAccess.h"
#include "feedstore/XmlStreamReader.h"
#include "platform/FileReplace.h"
#include "platform/Utf.h"
#include "support/DomItemWriter.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

std::string feedOf(int first, int count, const std::string& title = "Feed") {
    std::string text = "<rss version=\"2.0\"><channel><title>" + title + "</title>";
    for (int n = first; n < first + count; ++n)
        text += "<item><title>Message " + std::to_string(n) + "</title><guid>g" + std::to_string(n) +
                "</guid></item>";
    return text + "</channel></rss>";
}

void update(RSSObject& feed, const std::string& text) {
    FeedFetch fetch;
    readFeedDocument({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, u"u", fetch);
    feed.takeFetch(std::move(fetch));
}

std::vector<std::u16string> guidsOf(const RSSObject& feed) {
    std::vector<std::u16string> guids;
    for (const auto& item : feed.items)
        guids.push_back(item->guid);
    return guids;
}

std::vector<std::u16string> guids(int first, int count) {
    std::vector<std::u16string> list;
    for (int n = first; n < first + count; ++n)
        list.push_back(fromUtf8("g" + std::to_string(n)));
    return list;
}

class FolderSave : public ::testing::Test {
  protected:
    std::unique_ptr<RSSObject> settingsOnly() {
        return loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
    }
    std::unique_ptr<RSSObject> loaded() {
        auto feed = settingsOnly();
        feed->initializeItems();
        return feed;
    }
    std::unique_ptr<RSSObject> appending() {
        auto feed = settingsOnly();
        feed->appendItemsOnly();
        return feed;
    }
    // A folder that holds messages 0 to count-1, as Corvane wrote it.
    void storeMessages(int count) {
        auto feed = loaded();
        feed->url = u"http://127.0.0.1/feed";
        update(*feed, feedOf(0, count));
        ASSERT_TRUE(feed->storeFeed());
    }
    FileStamp stamp(const std::string& name) const { return stampOf(folder.file(name)); }

    testing::TempFolder folder;
};

// Neither file changes, not even its time, when an update brings nothing new; a changed channel
// field writes the settings only.
TEST_F(FolderSave, NothingNewWritesNothing) {
    struct Case {
        const char* feedTitle;
        bool settingsWritten;
    };
    for (const Case& test : {Case{"Feed", false}, Case{"Renamed", true}}) {
        storeMessages(3);
        const std::string items = folder.read("rssitems.xml");
        const FileStamp itemsBefore = stamp("rssitems.xml");
        const FileStamp settingsBefore = stamp("corvane.xml");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a rewrite would show in the times
        for (bool append : {true, false}) {
            auto feed = append ? appending() : loaded();
            update(*feed, feedOf(0, 3, test.feedTitle));
            EXPECT_TRUE(feed->storeFeed());
            EXPECT_EQ(stamp("rssitems.xml"), itemsBefore) << test.feedTitle;
            EXPECT_EQ(folder.read("rssitems.xml"), items);
            EXPECT_EQ(stamp("corvane.xml") != settingsBefore, test.settingsWritten) << test.feedTitle;
        }
    }
}

// New messages are written after the stored ones: the old bytes stay as they were, and the file is
// byte for byte what a whole write of all messages gives; corvane.xml gains their ids.
TEST_F(FolderSave, NewMessagesExtendTheStoreAsAWholeWriteWould) {
    for (int stored : {0, 2}) {
        for (bool append : {true, false}) {
            std::filesystem::remove(folder.path() / "rssitems.xml");
            std::filesystem::remove(folder.path() / "corvane.xml");
            storeMessages(stored);
            const std::string before = folder.read("rssitems.xml");
            const FileStamp stampBefore = stamp("rssitems.xml");
            auto feed = append ? appending() : loaded();
            update(*feed, feedOf(0, stored + 3));
            ASSERT_TRUE(feed->storeFeed());
            const std::string after = folder.read("rssitems.xml");
            if (stored > 0) {
                // In place: the end moved into the room, the file grew by a space at most.
                const size_t end = before.find(kStoreEnd);
                ASSERT_NE(end, std::string::npos);
                EXPECT_EQ(after.substr(0, end), before.substr(0, end));
                EXPECT_EQ(stamp("rssitems.xml").index, stampBefore.index);
                EXPECT_LE(after.size() - before.size(), 1u);
            }

            auto whole = loaded();
            EXPECT_EQ(guidsOf(*whole), guids(0, stored + 3));
            StoreFileState state = StoreFileState::NotLoaded;
            ASSERT_TRUE(writeItemStore(folder.file("whole.xml"), whole->items, state));
            EXPECT_NE(testing::withoutRoom(after), "");
            EXPECT_EQ(testing::withoutRoom(after), testing::withoutRoom(folder.read("whole.xml")))
                << stored << append;
            EXPECT_EQ(settingsOnly()->identity.size(), static_cast<size_t>(stored + 3));
        }
    }
}

// A store that has no room for the new messages gains them by a copy, and a new room: one written
// before stores had room, one whose room is used up, and one whose room holds what a writer killed
// before it moved the end left there.
TEST_F(FolderSave, AStoreWithoutRoomForTheMessagesIsExtendedByACopyWithNewRoom) {
    struct Case {
        const char* name;
        std::string (*end)(const std::string& room);
    };
    const Case cases[] = {
        {"no room", [](const std::string&) { return std::string("</channel></rss>\n"); }},
        {"too little", [](const std::string&) { return std::string(kStoreEnd) + "   ?>\n"; }},
        {"a killed writer's rest",
         [](const std::string& room) {
             std::string rest = "  <item><title>Message 9</title><guid>g9</guid></item></channel></rss>\n";
             return std::string(kStoreEnd) + rest + room.substr(rest.size()) + "?>\n";
         }},
    };
    for (const Case& test : cases) {
        std::filesystem::remove(folder.path() / "rssitems.xml");
        std::filesystem::remove(folder.path() / "corvane.xml");
        storeMessages(2);
        const std::string before = folder.read("rssitems.xml");
        const size_t end = before.find(kStoreEnd);
        ASSERT_NE(end, std::string::npos);
        const std::string room(before.size() - end - kStoreEnd.size() - kStoreRoomEnd.size(), ' ');
        folder.write("rssitems.xml", before.substr(0, end) + test.end(room));
        const FileStamp written = stamp("rssitems.xml");

        auto feed = loaded();
        EXPECT_EQ(guidsOf(*feed), guids(0, 2)) << test.name;
        update(*feed, feedOf(0, 5));
        ASSERT_TRUE(feed->storeFeed()) << test.name;
        const std::string after = folder.read("rssitems.xml");
        EXPECT_NE(stamp("rssitems.xml").index, written.index) << test.name << ": a copy replaces the file";
        EXPECT_EQ(after.substr(0, end), before.substr(0, end)) << test.name;
        EXPECT_EQ(guidsOf(*loaded()), guids(0, 5)) << test.name;
        // The next update finds room.
        const FileStamp copied = stamp("rssitems.xml");
        auto next = loaded();
        update(*next, feedOf(5, 1));
        ASSERT_TRUE(next->storeFeed()) << test.name;
        EXPECT_EQ(stamp("rssitems.xml").index, copied.index) << test.name << ": in place";
        EXPECT_EQ(guidsOf(*loaded()), guids(0, 6)) << test.name;
    }
}

// corvane.xml gains the ids that joined the identity wherever they sort among the known ones, its
// old bytes kept; an identity that lost an id is written whole. Read again it holds the identity.
TEST_F(FolderSave, TheSettingsGainTheNewIdsWhereverTheySort) {
    struct Case {
        std::vector<std::u16string> start;
        std::vector<std::u16string> added;
        const char16_t* removed;
        bool extended;
    };
    const std::vector<std::u16string> abc = {u"a", u"b", u"c"};
    const Case cases[] = {
        {abc, {u"0first"}, nullptr, true},
        {abc, {u"b2", u"bb"}, nullptr, true},
        {abc, {u"zlast", u"A0", u"b+/="}, nullptr, true},
        {{}, {u"x", u"y"}, nullptr, true},
        {abc, {}, u"b", false},
        {abc, {u"x"}, u"c", false},
    };
    for (const Case& test : cases) {
        std::filesystem::remove(folder.path() / "corvane.xml");
        {
            auto feed = settingsOnly();
            feed->identity.insert(test.start.begin(), test.start.end());
            ASSERT_TRUE(feed->storeSettings());
        }
        const std::string before = folder.read("corvane.xml");
        auto feed = settingsOnly();
        feed->identity.insert(test.added.begin(), test.added.end());
        if (test.removed) feed->identity.erase(test.removed);
        ASSERT_TRUE(feed->storeSettings());
        const std::string after = folder.read("corvane.xml");
        const size_t kept = std::min(before.find("</identity>"), before.find("<identity/>"));
        EXPECT_EQ(after.compare(0, kept, before, 0, kept) == 0, test.extended) << after;
        EXPECT_EQ(settingsOnly()->identity, feed->identity) << after;
    }
}

TEST(SortedIds, FindsEveryIdItHoldsAndNoOther) {
    const std::vector<std::u16string> held = {u"A", u"AB", u"B+/=", u"b", u"zz"};  // in std::set order
    SortedIds ids;
    for (const std::u16string& id : held)
        ids.add(id);
    ASSERT_EQ(ids.size(), held.size());
    for (size_t i = 0; i < held.size(); ++i) {
        EXPECT_EQ(ids[i], held[i]);
        EXPECT_TRUE(ids.contains(held[i])) << toUtf8(held[i]);
    }
    for (const char16_t* absent : {u"", u"0", u"AA", u"ABC", u"B", u"a", u"zzz", u"~"})
        EXPECT_FALSE(ids.contains(absent)) << toUtf8(absent);
    EXPECT_FALSE(SortedIds().contains(u"A"));
}

// A store that does not end as Corvane writes it is read and written whole, keeping what it held.
TEST_F(FolderSave, AStoreEditedByHandIsWrittenWhole) {
    const std::string item = "<item><title>Old</title><guid>old</guid></item>";
    for (std::string store :
         {"<rss version=\"2.0\"><channel>" + item + "</channel></rss>",
          "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>" + item +
              "</channel><!-- by hand --></rss>",
          "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\">\n  <channel>\n    " + item +
              "\n  </channel>\n</rss>\n",
          std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"/>")}) {
        folder.write("rssitems.xml", store);
        folder.write("corvane.xml", "<corvane><identity/></corvane>");
        auto feed = appending();
        update(*feed, feedOf(0, 2));
        ASSERT_TRUE(feed->storeFeed()) << store;
        auto reread = loaded();
        EXPECT_EQ(reread->itemsState, StoreFileState::Read);
        std::vector<std::u16string> expected = guids(0, 2);
        if (store.find("<item>") != std::string::npos) expected.insert(expected.begin(), u"old");
        EXPECT_EQ(guidsOf(*reread), expected) << store;
    }
}

// Two writers that read the folder at the same time: the second writes its own changes on top of
// the first's, and a change made after that keeps both.
TEST_F(FolderSave, EachWriterKeepsTheOthersChanges) {
    struct Change {
        const char* name;
        void (*apply)(RSSObject&);
        void (*check)(const RSSObject&);
    };
    const Change changes[] = {
        {"label 0", [](RSSObject& feed) { feed.items[0]->label = 4; },
         [](const RSSObject& feed) { EXPECT_EQ(feed.items[0]->label, 4); }},
        {"delete 1", [](RSSObject& feed) { feed.items.erase(feed.items.begin() + 1); },
         [](const RSSObject& feed) {
             for (const auto& item : feed.items)
                 EXPECT_NE(item->guid, u"g1");
         }},
        {"label 2", [](RSSObject& feed) { feed.items[2]->label = 2; },
         [](const RSSObject& feed) {
             for (const auto& item : feed.items)
                 if (item->guid == u"g2") {
                     EXPECT_EQ(item->label, 2);
                 }
         }},
        {"read 2", [](RSSObject& feed) { feed.items[2]->unread = false; },
         [](const RSSObject& feed) {
             for (const auto& item : feed.items)
                 if (item->guid == u"g0" || item->guid == u"g2") {
                     EXPECT_EQ(item->unread, item->guid == u"g0") << toUtf8(item->guid);
                 }
         }},
        {"update", [](RSSObject& feed) { update(feed, feedOf(3, 2)); },
         [](const RSSObject& feed) {
             EXPECT_EQ(
                 std::count_if(feed.items.begin(), feed.items.end(),
                               [](const auto& item) { return item->guid == u"g3" || item->guid == u"g4"; }),
                 2);
         }},
        {"option", [](RSSObject& feed) { feed.setParam(u"displayTime", u"on"); },
         [](const RSSObject& feed) { EXPECT_EQ(feed.getParam(u"displayTime", u""), u"on"); }},
        {"url", [](RSSObject& feed) { feed.url = u"http://127.0.0.1/other"; },
         [](const RSSObject& feed) { EXPECT_EQ(feed.url, u"http://127.0.0.1/other"); }},
    };
    for (const Change& first : changes) {
        for (const Change& second : changes) {
            if (&first == &second) continue;
            std::filesystem::remove(folder.path() / "rssitems.xml");
            std::filesystem::remove(folder.path() / "corvane.xml");
            storeMessages(3);
            auto a = loaded();
            auto b = loaded();
            first.apply(*a);
            second.apply(*b);
            ASSERT_TRUE(a->storeFeed());
            ASSERT_TRUE(b->storeFeed());
            // b holds a stale copy now; what it changes next still goes on top.
            b->setParam(u"later", u"yes");
            ASSERT_TRUE(b->storeFeed());
            SCOPED_TRACE(std::string(first.name) + " then " + second.name);
            auto result = loaded();
            first.check(*result);
            second.check(*result);
            EXPECT_EQ(result->getParam(u"later", u""), u"yes");
            std::vector<std::u16string> ids;
            for (const auto& item : result->items)
                ids.push_back(item->id);
            std::sort(ids.begin(), ids.end());
            EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end()) << "a message stored twice";
        }
    }
}

// Two updates that took in the same messages store them once; one deleted meanwhile stays deleted.
TEST_F(FolderSave, MessagesAnotherWriterStoredOrDeletedAreNotStoredAgain) {
    storeMessages(2);
    auto a = appending();
    auto b = appending();
    auto c = appending();
    for (RSSObject* feed : {a.get(), b.get(), c.get()})
        update(*feed, feedOf(0, 4));
    auto view = loaded();
    update(*view, feedOf(0, 4));
    ASSERT_TRUE(a->storeFeed());
    ASSERT_TRUE(b->storeFeed());
    ASSERT_TRUE(view->storeFeed());
    // Saved again (a view closing, a second save of a command): still nothing twice.
    for (RSSObject* feed : {a.get(), b.get(), view.get()})
        ASSERT_TRUE(feed->storeFeed());
    EXPECT_EQ(guidsOf(*loaded()), guids(0, 4));

    auto deleting = loaded();
    deleting->items.erase(deleting->items.begin() + 3);
    ASSERT_TRUE(deleting->storeFeed());
    ASSERT_TRUE(c->storeFeed());
    EXPECT_EQ(guidsOf(*loaded()), guids(0, 3));
}

// A file that vanished while a writer held its contents is written again from them: a missing
// file is no other writer's change to take over.
TEST_F(FolderSave, AFileThatVanishedIsWrittenAgain) {
    for (const char* vanished : {"rssitems.xml", "corvane.xml"}) {
        storeMessages(3);
        auto feed = loaded();
        std::filesystem::remove(folder.path() / vanished);
        ASSERT_TRUE(feed->storeFeed()) << vanished;
        auto reread = loaded();
        EXPECT_EQ(guidsOf(*reread), guids(0, 3)) << vanished;
        EXPECT_EQ(reread->url, u"http://127.0.0.1/feed") << vanished;
        EXPECT_EQ(reread->identity.size(), 3u) << vanished;
    }
}

TEST(FolderLock, ASecondHolderWaitsForTheFirst) {
    testing::TempFolder folder;
    const std::u16string path = folder.file("corvane.lock");
    {
        FolderLock first(path, std::chrono::milliseconds(0));
        ASSERT_TRUE(first);
        FolderLock second(path, std::chrono::milliseconds(30));
        EXPECT_TRUE(second.opened());
        EXPECT_FALSE(second);
    }
    FolderLock third(path, std::chrono::milliseconds(0));
    EXPECT_TRUE(third);
    FolderLock nowhere(folder.file("missing/corvane.lock"), std::chrono::milliseconds(0));
    EXPECT_FALSE(nowhere.opened());
}

// The child of the kill test: extends the store of the folder named in CORVANE_KILL_FOLDER by one
// message at a time until it is killed.
TEST(FolderSaveKill, ChildWriter) {
    const char* where = std::getenv("CORVANE_KILL_FOLDER");
    if (!where) GTEST_SKIP() << "run by FolderSaveKill.AKilledExtendingWriteLeavesTheOldOrTheNewStore";
    const std::u16string folder = fromUtf8(where);
    for (;;) {
        auto feed = loadRSSObject(folder + u"/corvane.xml", folder + u"/rssitems.xml");
        feed->appendItemsOnly();
        const int next = static_cast<int>(feed->identity.size());
        update(*feed, feedOf(next, 1));
        if (!feed->storeFeed()) std::abort();
    }
}

#ifdef _WIN32
using Child = HANDLE;
Child startChild(const std::string& folder) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableW(L"CORVANE_KILL_FOLDER", std::wstring(folder.begin(), folder.end()).c_str());
    std::wstring line = L"\"" + std::wstring(self) + L"\" --gtest_filter=FolderSaveKill.ChildWriter";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process);
    SetEnvironmentVariableW(L"CORVANE_KILL_FOLDER", nullptr);
    if (!started) return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}
void killChild(Child child) {
    TerminateProcess(child, 9);
    WaitForSingleObject(child, INFINITE);
    CloseHandle(child);
}
#else
using Child = pid_t;
Child startChild(const std::string& folder) {
    std::string self(4096, '\0');
    self.resize(std::max<ssize_t>(0, ::readlink("/proc/self/exe", self.data(), self.size())));
    std::string variable = "CORVANE_KILL_FOLDER=" + folder;
    std::vector<char*> environment;
    for (char** entry = environ; *entry; ++entry)
        environment.push_back(*entry);
    environment.push_back(variable.data());
    environment.push_back(nullptr);
    std::string filter = "--gtest_filter=FolderSaveKill.ChildWriter";
    char* arguments[] = {self.data(), filter.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, self.c_str(), nullptr, nullptr, arguments, environment.data()) != 0) return 0;
    return child;
}
void killChild(Child child) {
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
}
#endif

// A writer killed at any moment of an extending write leaves the store it found or the one it
// meant to write: every message it had stored, in order, and a well-formed file.
TEST(FolderSaveKill, AKilledExtendingWriteLeavesTheOldOrTheNewStore) {
    testing::TempFolder folder;
    {
        auto feed = loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
        feed->appendItemsOnly();
        update(*feed, feedOf(0, 2000));  // large enough that a write takes a while
        ASSERT_TRUE(feed->storeFeed());
    }
    std::mt19937 random(20261209);
    size_t stored = 2000;
#ifdef _WIN32
    constexpr int kKills = 5;  // a process start costs a good deal more under Wine
#else
    constexpr int kKills = 20;
#endif
    for (int kill = 0; kill < kKills; ++kill) {
        Child child = startChild(toUtf8(folder.path().u16string()));
        ASSERT_TRUE(child);
        // Once the child has written at least once, it is killed a moment later: somewhere in one
        // of its next writes, wherever the machine's load puts that moment.
        const FileStamp before = stampOf(folder.file("rssitems.xml"));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (stampOf(folder.file("rssitems.xml")) == before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 30000)(random)));
        killChild(child);

        StoredItems items = loadStoredItems(folder.file("rssitems.xml"));
        ASSERT_EQ(items.state, StoreFileState::Read) << "kill " << kill;
        ASSERT_GE(items.items.size(), stored) << "kill " << kill << " shortened the store";
        for (size_t n = 0; n < items.items.size(); ++n)
            ASSERT_EQ(items.items[n]->guid, fromUtf8("g" + std::to_string(n))) << "kill " << kill;
        stored = items.items.size();
    }
    EXPECT_GT(stored, 2000u) << "the child never wrote";
}

// An extension in place keeps the file and its size, and its time moves only by the clock's step:
// extensions in quick succession must still each give the file a new stamp, or another writer holding
// the old one would take the store for unchanged.
TEST_F(FolderSave, EveryExtensionInPlaceChangesTheStamp) {
    storeMessages(1);
    for (int n = 1; n < 30; ++n) {
        const FileStamp before = stamp("rssitems.xml");
        auto feed = appending();
        update(*feed, feedOf(n, 1));
        ASSERT_TRUE(feed->storeItems());
        const FileStamp after = stamp("rssitems.xml");
        EXPECT_EQ(after.index, before.index) << n;
        EXPECT_NE(after, before) << n;
    }
    EXPECT_EQ(guidsOf(*loaded()), guids(0, 30));
}

// A writer killed at any byte of an in-place extension leaves a store that both readers read whole,
// with all old messages or all new ones; the next update finds every message once. A write inside one
// sector (the one that moves the end) is written whole or not at all, as a disk writes a sector.
TEST_F(FolderSave, AWriterKilledAtAnyByteOfAnInPlaceExtensionLeavesTheOldOrTheNewStore) {
    storeMessages(20);
    const std::string items = folder.read("rssitems.xml");
    const std::string settings = folder.read("corvane.xml");
    bool finished = false;
    for (int64_t kill = 0; !finished; kill += kill < 40 ? 1 : 97) {
        SCOPED_TRACE("killed after byte " + std::to_string(kill));
        folder.write("rssitems.xml", items);
        folder.write("corvane.xml", settings);
        auto feed = appending();
        update(*feed, feedOf(18, 6));
        detail::patchBytesBeforeKill = kill;
        failNextFileReplaceAt(FileReplaceStage::Create);  // and its fallback to a whole write
        finished = feed->storeItems();
        detail::patchBytesBeforeKill = -1;
        failNextFileReplaceAt(FileReplaceStage::None);

        StoredItems stored = loadStoredItems(folder.file("rssitems.xml"));
        ASSERT_EQ(stored.state, StoreFileState::Read);
        // The document read and the general forward-only read (what earlier versions fall back on).
        RSSItemList general, forward;
        readItemsFromXml(*xml::loadXmlFile(folder.file("rssitems.xml"), true, false), general);
        std::unique_ptr<xml::StreamReader> reader = xml::openStreamReader(folder.file("rssitems.xml"));
        ASSERT_TRUE(reader);
        if (readItemsFromStream(*reader, forward) != ItemStreamResult::Read) {
#ifdef _WIN32
            // The Windows build's forward read leaves every file holding an instruction to the
            // document read.
            forward.clear();
            readItemsFromXml(*xml::loadXmlFile(folder.file("rssitems.xml"), true, false), forward);
#else
            ADD_FAILURE() << "the forward read refused the store";
#endif
        }
        reader.reset();  // a file held open cannot be replaced on Windows
        const int count = static_cast<int>(stored.items.size());
        ASSERT_TRUE(count == 20 || count == 24) << count;
        EXPECT_EQ(finished, count == 24);
        std::vector<std::u16string> read;
        for (const auto& item : stored.items)
            read.push_back(item->guid);
        EXPECT_EQ(read, guids(0, count));
        EXPECT_EQ(general.size(), stored.items.size());
        EXPECT_EQ(forward.size(), stored.items.size());

        auto next = loaded();
        update(*next, feedOf(18, 8));
        ASSERT_TRUE(next->storeFeed());
        EXPECT_EQ(guidsOf(*loaded()), guids(0, 26));
        EXPECT_NE(testing::withoutRoom(folder.read("rssitems.xml")), "");
        ASSERT_LT(kill, 100000) << "the extension never finished";
    }
}

}  // namespace
}  // namespace corvane
