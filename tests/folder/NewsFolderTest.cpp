#include "folder/NewsFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "feedstore/RSSObject.h"
#include "folder/FolderClass.h"
#include "folder/FolderSystem.h"
#include "platform/ComApartment.h"
#include "platform/ProfileFile.h"
#include "platform/Utf.h"
#include "support/TempFolder.h"

namespace corvane::folder {
namespace {

using corvane::testing::TempFolder;

const std::string kClassId = toUtf8(kFolderClassId);

std::string desktopIniNaming(const std::string& value) {
    return "[.ShellClassInfo]\r\nCLSID=" + value + "\r\n";
}

std::u16string path(const TempFolder& folder) {
    return folder.path().u16string();
}

// corvane.xml goes through the XML component, which needs an apartment on Windows.
class WithApartment : public ::testing::Test {
    ComApartment apartment;
};
using NewsFolderCheck = WithApartment;
using CreateNewsFolder = WithApartment;
using RemoveNewsFolder = WithApartment;

TEST_F(NewsFolderCheck, DesktopIniDecidesAsTheProfileReaderReadsIt) {
    struct Case {
        std::string desktopIni;
        bool newsFolder;
    } cases[] = {
        {desktopIniNaming(kClassId), true},
        {"[.shellclassinfo]\r\nclsid = \"" + kClassId + "\"  \r\n", true},
        {"[.ShellClassInfo]\r\nIconResource=x.ico,0\r\n[Other]\r\nCLSID=" + kClassId + "\r\n", false},
        {desktopIniNaming(kClassId.substr(1, 36)), false},
        {desktopIniNaming(kClassId + "}"), false},
        {desktopIniNaming("{0d1c607a-6636-45d8-bbe9-f6fd121d5d45}"), false},
        {"", false},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.write("desktop.ini", c.desktopIni);
        EXPECT_EQ(isNewsFolder(path(folder)), c.newsFolder) << c.desktopIni;
    }
    TempFolder plain;
    EXPECT_FALSE(isNewsFolder(path(plain)));
    EXPECT_FALSE(isNewsFolder(u""));
}

TEST_F(NewsFolderCheck, MissingFilesAndRootsAreRefused) {
    TempFolder folder;
    folder.write("file.txt", "x");
    EXPECT_EQ(checkFolder(path(folder)), FolderStatus::Done);
    EXPECT_EQ(checkFolder(folder.file("nothing")), FolderStatus::FolderMissing);
    EXPECT_EQ(checkFolder(folder.file("file.txt")), FolderStatus::NotAFolder);
#ifdef _WIN32
    EXPECT_EQ(checkFolder(u"C:\\"), FolderStatus::IsRoot);
#else
    EXPECT_EQ(checkFolder(u"/"), FolderStatus::IsRoot);
#endif
    EXPECT_EQ(createNewsFolder(folder.file("nothing")).status, FolderStatus::FolderMissing);
    EXPECT_EQ(removeNewsFolder(folder.file("file.txt")).status, FolderStatus::NotAFolder);
}

TEST_F(CreateNewsFolder, WritesTheThreeFiles) {
    TempFolder folder;
    FolderResult result = createNewsFolder(path(folder));
    EXPECT_EQ(result.status, FolderStatus::Done);
    EXPECT_TRUE(isNewsFolder(path(folder)));

    std::unique_ptr<RSSObject> feed = loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
    EXPECT_EQ(feed->settingsState, StoreFileState::Read);
    EXPECT_FALSE(feed->isConfigured());
    EXPECT_TRUE(feed->params.empty());
    EXPECT_FALSE(folder.exists("rssitems.xml"));

    EXPECT_EQ(folder.read("readme.txt"), kReadmeText);
}

TEST_F(CreateNewsFolder, ReadmeHasNineLinesWithCarriageReturnsBetween) {
    std::string text = kReadmeText;
    EXPECT_TRUE(text.starts_with("This folder is configured to display news.  Corvane software\r\n"));
    EXPECT_TRUE(text.ends_with("\r\n\r\n  Thank you."));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 8);
    EXPECT_NE(text.find("\r\n" + std::string(18, ' ') + "http://"), std::string::npos);
}

TEST_F(CreateNewsFolder, KeepsTheRestOfDesktopIni) {
    TempFolder folder;
    folder.write("desktop.ini", "[.ShellClassInfo]\r\nIconResource=news.ico,0\r\n[ViewState]\r\nMode=4\r\n");
    ASSERT_EQ(createNewsFolder(path(folder)).status, FolderStatus::Done);
    ProfileFile desktopIni(folder.file("desktop.ini"));
    EXPECT_EQ(desktopIni.readString(u".ShellClassInfo", u"CLSID"), kFolderClassId);
    EXPECT_EQ(desktopIni.readString(u".ShellClassInfo", u"IconResource"), u"news.ico,0");
    EXPECT_EQ(desktopIni.readString(u"ViewState", u"Mode"), u"4");
}

TEST_F(CreateNewsFolder, ChangesNothingInANewsFolder) {
    TempFolder folder;
    folder.write("desktop.ini", desktopIniNaming(kClassId));
    folder.write("corvane.xml", "<corvane><url>http://a.example/</url></corvane>");
    EXPECT_EQ(createNewsFolder(path(folder)).status, FolderStatus::AlreadyNewsFolder);
    EXPECT_EQ(folder.read("corvane.xml"), "<corvane><url>http://a.example/</url></corvane>");
    EXPECT_FALSE(folder.exists("readme.txt"));
}

TEST_F(CreateNewsFolder, KeepsAReadableCorvaneXml) {
    TempFolder folder;
    folder.write("corvane.xml",
                 "<corvane version=\"1.0\"><url>http://a.example/feed</url>"
                 "<param name=\"formatTime\" value=\"dmy\"/><identity><id>abc</id></identity></corvane>");
    ASSERT_EQ(createNewsFolder(path(folder)).status, FolderStatus::Done);
    std::unique_ptr<RSSObject> feed = loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
    EXPECT_EQ(feed->url, u"http://a.example/feed");
    EXPECT_EQ(feed->getParam(u"formatTime", u""), u"dmy");
    EXPECT_EQ(feed->identity.count(u"abc"), 1u);
}

TEST_F(CreateNewsFolder, KeepsAnUnreadableCorvaneXmlAsBad) {
    TempFolder folder;
    folder.write("corvane.xml", "<corvane><url>broken");
    ASSERT_EQ(createNewsFolder(path(folder)).status, FolderStatus::Done);
    EXPECT_EQ(folder.read("corvane.xml.bad"), "<corvane><url>broken");
    std::unique_ptr<RSSObject> feed = loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
    EXPECT_EQ(feed->settingsState, StoreFileState::Read);
    EXPECT_FALSE(feed->isConfigured());
}

TEST_F(CreateNewsFolder, StopsWhenDesktopIniCannotBeWritten) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path() / "desktop.ini");
    FolderResult result = createNewsFolder(path(folder));
    EXPECT_EQ(result.status, FolderStatus::WriteFailed);
    EXPECT_EQ(result.file, joinPath(path(folder), u"desktop.ini"));
    EXPECT_FALSE(isNewsFolder(path(folder)));
    EXPECT_FALSE(folder.exists("readme.txt"));
}

TEST_F(CreateNewsFolder, GoesOnWhenCorvaneXmlCannotBeWritten) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path() / "corvane.xml");
    FolderResult result = createNewsFolder(path(folder));
    EXPECT_EQ(result.status, FolderStatus::WriteFailed);
    EXPECT_EQ(result.file, joinPath(path(folder), u"corvane.xml"));
    EXPECT_TRUE(isNewsFolder(path(folder)));
    EXPECT_TRUE(folder.exists("readme.txt"));
}

TEST_F(RemoveNewsFolder, DeletesItsFilesAndNothingElse) {
    TempFolder folder;
    ASSERT_EQ(createNewsFolder(path(folder)).status, FolderStatus::Done);
    folder.write("rssitems.xml", "<rss/>");
    std::filesystem::remove(folder.path() / "readme.txt");  // a missing one is no failure
    folder.write("corvane.xml.bad", "old");
    folder.write("rssitems.xml.bad.1", "old");
    folder.write("notes.txt", "mine");
    EXPECT_EQ(removeNewsFolder(path(folder)).status, FolderStatus::Done);
    for (const char* name : {"desktop.ini", "corvane.xml", "rssitems.xml", "readme.txt", "corvane.lock"})
        EXPECT_FALSE(folder.exists(name)) << name;
    for (const char* name : {"corvane.xml.bad", "rssitems.xml.bad.1", "notes.txt"})
        EXPECT_TRUE(folder.exists(name)) << name;
    EXPECT_FALSE(isNewsFolder(path(folder)));
}

TEST_F(RemoveNewsFolder, ChangesNothingInAPlainFolder) {
    TempFolder folder;
    folder.write("desktop.ini", "[.ShellClassInfo]\r\nIconResource=x.ico,0\r\n");
    folder.write("corvane.xml", "<corvane/>");
    EXPECT_EQ(removeNewsFolder(path(folder)).status, FolderStatus::NotNewsFolder);
    EXPECT_TRUE(folder.exists("desktop.ini"));
    EXPECT_TRUE(folder.exists("corvane.xml"));
}

TEST_F(RemoveNewsFolder, GoesOnPastAFileThatCannotBeDeleted) {
    TempFolder folder;
    ASSERT_EQ(createNewsFolder(path(folder)).status, FolderStatus::Done);
    std::filesystem::create_directories(folder.path() / "rssitems.xml" / "inside");
    FolderResult result = removeNewsFolder(path(folder));
    EXPECT_EQ(result.status, FolderStatus::DeleteFailed);
    EXPECT_EQ(result.file, joinPath(path(folder), u"rssitems.xml"));
    EXPECT_FALSE(folder.exists("readme.txt"));
    EXPECT_FALSE(isNewsFolder(path(folder)));
}

TEST(RemoveQuestion, NamesTheFolderWhenItFits) {
    EXPECT_EQ(removeQuestion(u"C:\\News"),
              u"Are you sure you wish to remove news from this folder:\nC:\\News ?");
    // 999 characters fit the 1,000-character buffer, 1,000 do not.
    size_t fixed = removeQuestion(u"").size();
    EXPECT_EQ(removeQuestion(std::u16string(999 - fixed, u'x')).size(), 999u);
    EXPECT_EQ(removeQuestion(std::u16string(1000 - fixed, u'x')), kRemoveQuestionWithoutPath);
}

}  // namespace
}  // namespace corvane::folder
