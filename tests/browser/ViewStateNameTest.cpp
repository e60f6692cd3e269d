#include "browser/ViewStateName.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::browser {
namespace {

bool isSafeFileName(const std::u16string& name) {
    for (char16_t c : name)
        if (c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos)
            return false;
    return !name.empty() && name.back() != u'.' && name.back() != u' ';
}

TEST(ViewStateName, EverySpellingOfOneFolderGivesOneName) {
    const std::u16string expected = viewStateFileName(u"C:\\News\\Harbour");
    for (const char16_t* spelling : {u"c:/news/harbour", u"C:\\News\\Harbour\\", u"C:\\\\News\\\\Harbour\\\\",
                                     u"\\\\?\\C:\\News\\Harbour", u"\\\\?\\c:\\NEWS\\harbour\\"})
        EXPECT_EQ(viewStateFileName(spelling), expected) << std::u16string(spelling).size();
    EXPECT_EQ(folderKey(u"C:\\News\\Harbour\\"), u"c:\\news\\harbour");
}

TEST(ViewStateName, CaseFoldsBeyondAscii) {
    EXPECT_EQ(viewStateFileName(u"C:\\\u00C4rger\\\u041D\u043E\u0432\u043E\u0441\u0442\u0438 \u0401"),
              viewStateFileName(u"c:\\\u00E4rger\\\u043D\u043E\u0432\u043E\u0441\u0442\u0438 \u0451"));
    EXPECT_EQ(folderKey(u"\u0391\u0392\u0393"), u"\u03B1\u03B2\u03B3");
    // Multiplication sign and final sigma have no other case.
    EXPECT_EQ(folderKey(u"\u00D7\u03C2"), u"\u00D7\u03C2");
}

TEST(ViewStateName, FoldersOfTheSameNameKeepFilesOfTheirOwn) {
    std::u16string first = viewStateFileName(u"C:\\Work\\News");
    std::u16string second = viewStateFileName(u"D:\\Home\\News");
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(u"news-", 0), 0u);
    EXPECT_EQ(second.rfind(u"news-", 0), 0u);
    // A digest of 32 hexadecimal digits follows the readable part.
    EXPECT_EQ(first.size(), std::u16string(u"news-").size() + 32 + std::u16string(u".viewstate").size());
}

TEST(ViewStateName, SharesAndLongPathSharesAgree) {
    EXPECT_EQ(viewStateFileName(u"\\\\server\\share\\News"),
              viewStateFileName(u"\\\\?\\UNC\\server\\share\\News"));
    EXPECT_EQ(viewStateFileName(u"//server/share/News/"), viewStateFileName(u"\\\\server\\share\\News"));
    EXPECT_NE(viewStateFileName(u"\\\\server\\share\\News"), viewStateFileName(u"\\server\\share\\News"));
    EXPECT_EQ(folderKey(u"\\\\?\\UNC\\Server\\Share\\"), u"\\\\server\\share");
}

TEST(ViewStateName, CharactersRefusedInFileNamesAreReplaced) {
    std::u16string name = viewStateFileName(u"/home/me/What? <News>: \"a|b*c\"\t. .");
    EXPECT_TRUE(isSafeFileName(name)) << name.size();
    EXPECT_EQ(name.rfind(u"what_ _news__ _a_b_c__-", 0), 0u);
}

TEST(ViewStateName, LongPathsGiveShortNames) {
    std::u16string path = u"C:";
    while (path.size() < 32000)
        path += u"\\" + std::u16string(250, u'n');
    std::u16string name = viewStateFileName(path);
    EXPECT_LE(name.size(), 48u + 1 + 32 + 10);
    EXPECT_TRUE(isSafeFileName(name));
    // Paths that differ only past the part of the name that is kept still differ.
    EXPECT_NE(viewStateFileName(path + u"x"), name);
}

TEST(ViewStateName, CutNeverSplitsASurrogatePair) {
    std::u16string folder(47, u'a');
    folder += u"\U0001F4F0\U0001F4F0";  // two newspapers, four code units
    std::u16string name = viewStateFileName(u"C:\\" + folder);
    size_t dash = name.find(u'-');
    ASSERT_NE(dash, std::u16string::npos);
    EXPECT_EQ(dash, 47u);
    EXPECT_EQ(name.substr(0, dash), std::u16string(47, u'a'));
}

TEST(ViewStateName, DriveRootsHaveOnlyTheDigest) {
    std::u16string c = viewStateFileName(u"C:\\");
    EXPECT_NE(c, viewStateFileName(u"D:\\"));
    EXPECT_EQ(c.size(), 32 + std::u16string(u".viewstate").size());
    EXPECT_EQ(folderKey(u"C:\\"), u"c:\\");
    EXPECT_EQ(folderKey(u"C:/"), u"c:\\");
}

TEST(ViewStateName, FilesLiveUnderTheApplicationData) {
    std::u16string folder = viewStateFolder(u"C:\\Users\\me\\AppData\\Roaming");
    EXPECT_EQ(folder.rfind(u"C:\\Users\\me\\AppData\\Roaming", 0), 0u);
    EXPECT_NE(folder.find(u"Corvane"), std::u16string::npos);
    EXPECT_LT(folder.find(u"Corvane"), folder.find(u"View state"));
}

}  // namespace
}  // namespace corvane::browser
