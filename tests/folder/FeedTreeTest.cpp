#include "folder/FeedTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "folder/NewsFolder.h"
#include "platform/ComApartment.h"
#include "platform/Utf.h"
#include "support/TempFolder.h"

namespace corvane::folder {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> listed(const fs::path& top) {
    std::vector<std::string> names;
    forEachNewsFolder(
        scanFeedTree(top.u16string()),
        [&](const FeedTreeEntry&, const std::u16string& relative) { names.push_back(toUtf8(relative)); });
    return names;
}

// A link back up the tree and a second link to a news folder: each news folder is listed once, under
// its own name, and news folders are not looked into.
TEST(FeedTree, ListsEachNewsFolderOnceWhateverLinksPointAtIt) {
    ComApartment apartment;
    corvane::testing::TempFolder top;
    fs::create_directories(top.path() / "b" / "news" / "inside");
    fs::create_directories(top.path() / "empty" / "deeper");
    ASSERT_EQ(createNewsFolder((top.path() / "b" / "news").u16string()).status, FolderStatus::Done);
    ASSERT_EQ(createNewsFolder((top.path() / "b" / "news" / "inside").u16string()).status,
              FolderStatus::Done);
    std::error_code error;
    fs::create_directory_symlink(top.path(), top.path() / "b" / "loop", error);
    if (!error) fs::create_directory_symlink(top.path() / "b" / "news", top.path() / "a-link", error);
    if (error) GTEST_SKIP() << "no folder links here: " << error.message();
    EXPECT_EQ(listed(top.path()), std::vector<std::string>{"b/news"});
    EXPECT_TRUE(holdsNewsFolders(top.path().u16string()));
    EXPECT_FALSE(holdsNewsFolders((top.path() / "empty").u16string()));
}

}  // namespace
}  // namespace corvane::folder
