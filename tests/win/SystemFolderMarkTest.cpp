// Wine opens a folder through its desktop.ini class without the system mark, so the mark itself is
// checked here: Explorer on Windows needs it.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "folder/NewsFolder.h"
#include "platform/ComApartment.h"
#include "support/TempFolder.h"

namespace corvane::folder {
namespace {

bool hasSystemMark(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
}

TEST(SystemFolderMark, CreateSetsItAndRemoveClearsIt) {
    ComApartment apartment;
    corvane::testing::TempFolder folder;
    std::wstring path = folder.path().wstring();
    ASSERT_FALSE(hasSystemMark(path));

    ASSERT_EQ(createNewsFolder(folder.path().u16string()).status, FolderStatus::Done);
    EXPECT_TRUE(hasSystemMark(path));
    EXPECT_TRUE(PathIsSystemFolderW(path.c_str(), 0));

    ASSERT_EQ(removeNewsFolder(folder.path().u16string()).status, FolderStatus::Done);
    EXPECT_FALSE(hasSystemMark(path));
    EXPECT_FALSE(PathIsSystemFolderW(path.c_str(), 0));
}

}  // namespace
}  // namespace corvane::folder
