#include "platform/FileReplace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "support/TempFolder.h"

namespace corvane {
namespace {

std::vector<std::string> namesIn(const testing::TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileReplace, ReplacesTheFileAndLeavesNothingElse) {
    testing::TempFolder folder;
    folder.write("rssitems.xml", "old contents, longer than the new ones");
    ASSERT_TRUE(replaceFileAtomically(folder.file("rssitems.xml"), "new"));
    EXPECT_EQ(folder.read("rssitems.xml"), "new");
    ASSERT_TRUE(replaceFileAtomically(folder.file("corvane.xml"), ""));
    EXPECT_TRUE(folder.exists("corvane.xml"));
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"corvane.xml", "rssitems.xml"}));
}

// A big file replaced is let go on a thread of its own: the new bytes are in place at once, and the
// process soon holds nothing of the old file.
TEST(FileReplace, ABigReplacedFileIsLetGo) {
    testing::TempFolder folder;
    folder.write("rssitems.xml", std::string(3 << 20, 'o'));
    const std::string bytes(2 << 20, 'n');
    ASSERT_TRUE(replaceFileAtomically(folder.file("rssitems.xml"), bytes));
    EXPECT_EQ(folder.read("rssitems.xml"), bytes);
#ifndef _WIN32
    const std::string replaced = (folder.path() / "rssitems.xml").string() + " (deleted)";
    auto holdsReplaced = [&replaced] {
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            if (std::filesystem::read_symlink(entry.path(), error).string() == replaced) return true;
        }
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (holdsReplaced() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(holdsReplaced());
#endif
}

TEST(FileReplace, AFailureAtAnyStageKeepsTheOldFileAndRemovesTheTemporaryOne) {
    const std::string bytes(100000, 'n');
    for (FileReplaceStage stage : {FileReplaceStage::Create, FileReplaceStage::Write, FileReplaceStage::Flush,
                                   FileReplaceStage::Replace}) {
        testing::TempFolder folder;
        folder.write("rssitems.xml", "old");
        failNextFileReplaceAt(stage);
        FileReplaceResult result = replaceFileAtomically(folder.file("rssitems.xml"), bytes);
        EXPECT_FALSE(result) << static_cast<int>(stage);
        EXPECT_FALSE(succeeded(result.status));
        EXPECT_NE(result.description.find(u"rssitems.xml"), std::u16string::npos);
        EXPECT_EQ(folder.read("rssitems.xml"), "old");
        EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"rssitems.xml"}));
    }
}

// A file made piece by piece holds the pieces in order; a producer that fails or raises, or a write
// that fails, leaves the old file and nothing else.
TEST(FileReplace, PiecesJoinIntoTheFileAndAFailedProducerKeepsTheOldOne) {
    const std::vector<std::string> pieces = {"<rss>", std::string(300000, 'x'), "", "</rss>\n"};
    auto producer = [&pieces](const FilePieceSink& write) {
        for (const std::string& piece : pieces)
            if (!write(piece)) return false;
        return true;
    };
    {
        testing::TempFolder folder;
        folder.write("rssitems.xml", "old");
        ASSERT_TRUE(replaceFileAtomically(folder.file("rssitems.xml"), producer));
        EXPECT_EQ(folder.read("rssitems.xml"), pieces[0] + pieces[1] + pieces[3]);
        EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"rssitems.xml"}));
    }
    const struct {
        const char* name;
        std::function<bool(const FilePieceSink&)> produce;
        FileReplaceStage injected;
    } failures[] = {
        {"producer fails", [&](const FilePieceSink& write) { return producer(write) && false; },
         FileReplaceStage::None},
        {"producer raises",
         [&](const FilePieceSink& write) -> bool {
             write(pieces[0]);
             throw std::bad_alloc();
         },
         FileReplaceStage::None},
        {"write fails", producer, FileReplaceStage::Write},
        {"flush fails", producer, FileReplaceStage::Flush},
        {"replace fails", producer, FileReplaceStage::Replace},
    };
    for (const auto& f : failures) {
        testing::TempFolder folder;
        folder.write("rssitems.xml", "old");
        failNextFileReplaceAt(f.injected);
        const FileReplaceResult result = replaceFileAtomically(folder.file("rssitems.xml"), f.produce);
        EXPECT_FALSE(result) << f.name;
        EXPECT_NE(result.description.find(u"rssitems.xml"), std::u16string::npos) << f.name;
        EXPECT_EQ(folder.read("rssitems.xml"), "old") << f.name;
        EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"rssitems.xml"})) << f.name;
    }
}

TEST(FileReplace, AFailedFirstSaveCreatesNoFile) {
    testing::TempFolder folder;
    failNextFileReplaceAt(FileReplaceStage::Write);
    EXPECT_FALSE(replaceFileAtomically(folder.file("corvane.xml"), "new"));
    EXPECT_TRUE(namesIn(folder).empty());
    // The injected failure is spent: the next save goes through.
    EXPECT_TRUE(replaceFileAtomically(folder.file("corvane.xml"), "new"));
}

TEST(FileReplace, AMissingFolderFails) {
    testing::TempFolder folder;
    FileReplaceResult result = replaceFileAtomically(folder.file("missing/corvane.xml"), "new");
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.description.empty());
    EXPECT_TRUE(namesIn(folder).empty());
}

#ifndef _WIN32
TEST(FileReplace, AReadOnlyFolderFailsAndKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    testing::TempFolder folder;
    folder.write("rssitems.xml", "old");
    ::chmod(folder.path().c_str(), 0555);
    FileReplaceResult result = replaceFileAtomically(folder.file("rssitems.xml"), "new");
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.status, static_cast<Status>(0x80070005u));
    EXPECT_EQ(folder.read("rssitems.xml"), "old");
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"rssitems.xml"}));
}

TEST(FileReplace, KeepsThePermissionsOfTheReplacedFile) {
    testing::TempFolder folder;
    folder.write("corvane.xml", "old");
    ::chmod((folder.path() / "corvane.xml").c_str(), 0600);
    ASSERT_TRUE(replaceFileAtomically(folder.file("corvane.xml"), "new"));
    struct stat status {};
    ASSERT_EQ(::stat((folder.path() / "corvane.xml").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}
#endif

// Patches land where they say, in order, in the file itself (it keeps its identity); one past the end
// grows it. A file that is no longer the one looked at is left alone.
TEST(FilePatch, WritesInPlaceAndOnlyIntoTheFileThatWasLookedAt) {
    testing::TempFolder folder;
    const std::u16string path = folder.file("rssitems.xml");
    folder.write("rssitems.xml", "0123456789");
    const FileStamp before = stampOf(path);
    ASSERT_TRUE(patchFileInPlace(path, before, {{{2, "ab"}, {10, "!"}}, {{0, "X"}, {3, "Y"}}}));
    EXPECT_EQ(folder.read("rssitems.xml"), "X1aY456789!");
    const FileStamp after = stampOf(path);
    EXPECT_EQ(after.index, before.index);
    EXPECT_EQ(after.size, 11u);

    const FileReplaceResult stale = patchFileInPlace(path, before, {{{0, "Z"}}});
    EXPECT_FALSE(stale);
    EXPECT_FALSE(stale.description.empty());
    EXPECT_EQ(folder.read("rssitems.xml"), "X1aY456789!");
    EXPECT_FALSE(patchFileInPlace(folder.file("missing.xml"), before, {{{0, "Z"}}}));
    EXPECT_FALSE(folder.exists("missing.xml"));
}

// A writer killed partway leaves the bytes before the kill and none after; a patch inside one sector
// is whole or absent, one across sectors can be cut anywhere.
TEST(FilePatch, AKilledWriterLeavesTheBytesBeforeTheKill) {
    struct Case {
        int64_t kill;
        const char* left;
    };
    const std::string across(600, 'b');
    const Case cases[] = {
        {0, "aaaa"},            // nothing written
        {2, "aaaa"},            // inside the first patch, which lies in one sector
        {3, "xyza"},            // the first patch whole, none of the second
        {103, "xyza"},          // a hundred bytes of the second
        {3 + 600, "xyza"},      // the second whole, the one-sector third not at all
        {3 + 600 + 1, "xyzZ"},  // everything
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.kill);
        testing::TempFolder folder;
        const std::u16string path = folder.file("store.xml");
        folder.write("store.xml", "aaaa");
        detail::patchBytesBeforeKill = test.kill;
        const bool written = static_cast<bool>(
            patchFileInPlace(path, stampOf(path), {{{0, "xyz"}}, {{1000, across}}, {{3, "Z"}}}));
        EXPECT_EQ(detail::patchBytesBeforeKill, -1);
        EXPECT_EQ(written, test.kill == 3 + 600 + 1);
        const std::string bytes = folder.read("store.xml");
        EXPECT_EQ(bytes.substr(0, 4), test.left);
        const size_t second = test.kill <= 3 ? 0 : std::min<size_t>(600, static_cast<size_t>(test.kill - 3));
        EXPECT_EQ(bytes.size(), second ? 1000 + second : 4u);
    }
}

}  // namespace
}  // namespace corvane
