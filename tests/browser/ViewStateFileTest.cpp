#include "browser/ViewStateFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TempFolder.h"

namespace corvane::browser {
namespace {

std::vector<uint8_t> record(uint8_t fill, size_t size = 64) {
    return std::vector<uint8_t>(size, fill);
}

TEST(ViewStateFile, SavedBytesComeBackAndMissingFoldersAreMade) {
    testing::TempFolder scratch;
    std::u16string path = (scratch.path() / "Corvane" / "View state" / "news-1.viewstate").u16string();
    EXPECT_FALSE(loadViewState(path));
    ASSERT_TRUE(saveViewState(path, record(7)));
    EXPECT_EQ(loadViewState(path), record(7));
    // A later save replaces the whole file, also by fewer bytes.
    ASSERT_TRUE(saveViewState(path, record(9, 10)));
    EXPECT_EQ(loadViewState(path), record(9, 10));
}

TEST(ViewStateFile, WhatIsNotAViewStateFileIsNotRead) {
    testing::TempFolder scratch;
    EXPECT_FALSE(loadViewState(scratch.path().u16string()));
    scratch.write("huge", std::string(100 * 1024, 'x'));
    EXPECT_FALSE(loadViewState(scratch.file("huge")));
    scratch.write("empty", "");
    EXPECT_EQ(loadViewState(scratch.file("empty")), std::vector<uint8_t>());
}

TEST(ViewStateFile, AFileInTheWayOfTheFolderFailsTheSave) {
    testing::TempFolder scratch;
    scratch.write("Corvane", "not a folder");
    std::u16string path = (scratch.path() / "Corvane" / "news.viewstate").u16string();
    EXPECT_FALSE(saveViewState(path, record(1)));
    EXPECT_EQ(scratch.read("Corvane"), "not a folder");
}

}  // namespace
}  // namespace corvane::browser
