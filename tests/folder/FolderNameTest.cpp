#include "folder/FolderName.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Utf.h"
#include "support/TempFolder.h"

namespace corvane::folder {
namespace {

TEST(SafeFolderName, MakesNamesBothSystemsKeep) {
    struct Case {
        std::u16string wanted;
        std::u16string made;
    } cases[] = {
        {u"Plain name", u"Plain name"},
        {u"a<b>c:d\"e/f\\g|h?i*j", u"a_b_c_d_e_f_g_h_i_j"},
        {u"tab\there\r\nand  many   spaces", u"tab here and many spaces"},
        {u"bell\x07 and del\x7F", u"bell_ and del_"},
        {u"  trailing dots and spaces. . ", u"trailing dots and spaces"},
        {u"...", u""},
        {u"..", u""},
        {u"   ", u""},
        {u"CON", u"CON_"},
        {u"con", u"con_"},
        {u"nul.txt", u"nul_.txt"},
        {u"Com7", u"Com7_"},
        {u"LPT9.feed.xml", u"LPT9_.feed.xml"},
        {u"COM10", u"COM10"},
        {u"CONSOLE", u"CONSOLE"},
        {u"aux .x", u"aux_ .x"},
        {u".hidden", u".hidden"},
        {u"caf\u00e9 \u65b0\u805e", u"caf\u00e9 \u65b0\u805e"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(safeFolderName(c.wanted), c.made) << toUtf8(c.wanted);
        EXPECT_EQ(safeFolderName(c.made), c.made) << "made again: " << toUtf8(c.made);
    }
}

TEST(SafeFolderName, LongNamesAreCutWithoutSplittingACharacter) {
    std::u16string emoji;
    for (int i = 0; i < 60; ++i)
        emoji += u"\U0001F600";  // two units each
    std::u16string cut = safeFolderName(u"x" + emoji);
    EXPECT_LE(cut.size(), kMaxFolderNameLength);
    EXPECT_EQ(cut.size() % 2, 1u);  // "x" and whole pairs
    EXPECT_EQ(toUtf8(cut).find("\xEF\xBF\xBD"), std::string::npos);
    std::u16string dotted = std::u16string(kMaxFolderNameLength - 1, u'a') + u". more";
    EXPECT_EQ(safeFolderName(dotted), std::u16string(kMaxFolderNameLength - 1, u'a'));
    EXPECT_LE(toUtf8(safeFolderName(std::u16string(200, u'\u65b0'))).size(), 255u);
}

// Every made name, with the longest " (N)" after it, is a folder this system makes and lists back
// under the same name.
TEST(SafeFolderName, TheFileSystemKeepsEveryMadeName) {
    corvane::testing::TempFolder scratch;
    const std::u16string hostile[] = {
        u"CON",      u"prn.txt",     u"AUX",    u"NUL",
        u"COM1",     u"LPT1",        u"a:b",    u"trail. ",
        u"q?",       u"star*",       u"pipe|",  u"<angle>",
        u"quote\"",  u"back\\slash", u"x\x01y", std::u16string(300, u'\u00e9'),
        u"end. . .",
    };
    for (const std::u16string& wanted : hostile) {
        std::u16string name = safeFolderName(wanted) + u" (99)";
        std::filesystem::path path = scratch.path() / std::filesystem::path(name);
        std::error_code error;
        ASSERT_TRUE(std::filesystem::create_directory(path, error))
            << toUtf8(name) << ": " << error.message();
        std::ofstream(path / "probe.txt") << "x";
        EXPECT_TRUE(std::filesystem::exists(path / "probe.txt")) << toUtf8(name);
        bool listed = false;
        for (const auto& entry : std::filesystem::directory_iterator(scratch.path()))
            listed = listed || entry.path().filename().u16string() == name;
        EXPECT_TRUE(listed) << toUtf8(name);
    }
}

TEST(UnusedFolderName, CountsUpFromTwo) {
    std::u16string taken[] = {u"Feed", u"feed (2)"};
    auto isTaken = [&](const std::u16string& name) {
        for (const std::u16string& t : taken)
            if (sameFolderName(t, name)) return true;
        return false;
    };
    EXPECT_EQ(unusedFolderName(u"Other", isTaken), u"Other");
    EXPECT_EQ(unusedFolderName(u"FEED", isTaken), u"FEED (3)");
}

TEST(UrlHost, IsTheLowerCaseHostOrNothing) {
    EXPECT_EQ(urlHost(u"https://user:pw@Example.COM:8080/feed?x#y"), u"example.com");
    EXPECT_EQ(urlHost(u"http://[::1]:80/"), u"[::1]");
    EXPECT_EQ(urlHost(u"http:///path"), u"");
    EXPECT_EQ(urlHost(u"no url"), u"");
}

}  // namespace
}  // namespace corvane::folder
