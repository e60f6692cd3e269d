#include "folder/SelectionVerdict.h"

#include <gtest/gtest.h>

#include "folder/FolderClass.h"
#include "platform/Utf.h"
#include "support/TempFolder.h"

namespace corvane::folder {
namespace {

using corvane::testing::TempFolder;

TEST(SelectionVerdict, OnlyOneFolderThatIsNoRootGetsTheMenu) {
    TempFolder one, two;
    one.write("file.txt", "x");
#ifdef _WIN32
    const std::u16string root = u"C:\\";
#else
    const std::u16string root = u"/";
#endif
    EXPECT_TRUE(judgeSelection({one.path().u16string()}).accepted);
    EXPECT_FALSE(judgeSelection({}).accepted);
    EXPECT_FALSE(judgeSelection({one.path().u16string(), two.path().u16string()}).accepted);
    EXPECT_FALSE(judgeSelection({one.file("file.txt")}).accepted);
    EXPECT_FALSE(judgeSelection({one.file("missing")}).accepted);
    EXPECT_FALSE(judgeSelection({root}).accepted);
}

TEST(SelectionVerdict, TellsNewsFoldersByTheirDesktopIni) {
    TempFolder plain, news, lowerCase;
    news.write("desktop.ini", "[.ShellClassInfo]\r\nCLSID=" + toUtf8(kFolderClassId) + "\r\n");
    lowerCase.write("desktop.ini", "[.ShellClassInfo]\r\nCLSID={0d1c607a-6636-45d8-bbe9-f6fd121d5d45}\r\n");

    EXPECT_FALSE(judgeSelection({plain.path().u16string()}).isNewsFolder);
    SelectionVerdict verdict = judgeSelection({news.path().u16string()});
    EXPECT_TRUE(verdict.accepted);
    EXPECT_TRUE(verdict.isNewsFolder);
    EXPECT_FALSE(judgeSelection({lowerCase.path().u16string()}).isNewsFolder);
}

}  // namespace
}  // namespace corvane::folder
