#include "folder/OpmlImport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include "feedstore/RSSObject.h"
#include "folder/FolderSystem.h"
#include "folder/NewsFolder.h"
#include "folder/OpmlExport.h"
#include "platform/ComApartment.h"
#include "platform/Utf.h"
#include "support/TempFolder.h"

namespace corvane::folder {
namespace {

namespace fs = std::filesystem;
using corvane::testing::TempFolder;

opml::Outline feed(std::u16string title, std::u16string url) {
    opml::Outline outline;
    outline.title = std::move(title);
    outline.xmlUrl = std::move(url);
    return outline;
}

opml::Outline group(std::u16string title, std::vector<opml::Outline> children) {
    opml::Outline outline;
    outline.title = std::move(title);
    outline.children = std::move(children);
    return outline;
}

// Every folder below `top` as "relative path" or "relative path -> URL" for news folders.
std::set<std::string> treeOf(const fs::path& top) {
    std::set<std::string> tree;
    for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator(); ++it) {
        if (!it->is_directory()) continue;
        std::string relative = toUtf8(fs::relative(it->path(), top).generic_u16string());
        std::u16string path = it->path().u16string();
        if (isNewsFolder(path)) {
            std::unique_ptr<RSSObject> settings =
                loadRSSObject(joinPath(path, kSettingsFile), joinPath(path, kItemsFile));
            relative += " -> " + toUtf8(settings->url);
            it.disable_recursion_pending();
        }
        tree.insert(relative);
    }
    return tree;
}

class OpmlImport : public ::testing::Test {
  protected:
    ComApartment apartment;
    TempFolder target;
    std::u16string dir() const { return target.path().u16string(); }
};

TEST_F(OpmlImport, MakesNewsFoldersInGroupsAndExportGivesTheSameTreeBack) {
    std::vector<opml::Outline> outlines = {
        feed(u"Top: news?", u"http://127.0.0.1/top"),
        group(u"Tech", {feed(u"Blog", u"https://blog.example/rss"),
                        group(u"Deeper", {feed(u"", u"http://Host.Example:81/x")})}),
        group(u"Empty group", {}),
        group(u"No feeds", {group(u"none", {})}),
    };
    ImportReport report = importOutlines(outlines, dir());
    ASSERT_TRUE(report.error.empty()) << toUtf8(report.error);
    EXPECT_FALSE(report.anyFailed());
    EXPECT_EQ(report.madeFolders.size(), 3u);
    std::set<std::string> expected = {"Top_ news_ -> http://127.0.0.1/top", "Tech",
                                      "Tech/Blog -> https://blog.example/rss", "Tech/Deeper",
                                      "Tech/Deeper/host.example -> http://Host.Example:81/x"};
    EXPECT_EQ(treeOf(target.path()), expected);

    // The export read back into a fresh folder makes the same tree.
    size_t feeds = 0;
    std::string document = exportOpml(dir(), feeds);
    EXPECT_EQ(feeds, 3u);
    opml::OpmlReadResult read =
        opml::readOpml({reinterpret_cast<const uint8_t*>(document.data()), document.size()});
    ASSERT_TRUE(read.ok) << toUtf8(read.error);
    TempFolder again;
    ImportReport second = importOutlines(read.outlines, again.path().u16string());
    ASSERT_TRUE(second.error.empty()) << toUtf8(second.error);
    EXPECT_EQ(treeOf(again.path()), expected);
}

TEST_F(OpmlImport, KeepsFeedsReadAnywhereBelowAndNumbersClashes) {
    fs::create_directories(target.path() / "Elsewhere" / "Old");
    std::u16string old = (target.path() / "Elsewhere" / "Old").u16string();
    ASSERT_EQ(createNewsFolder(old).status, FolderStatus::Done);
    {
        std::unique_ptr<RSSObject> settings =
            loadRSSObject(joinPath(old, kSettingsFile), joinPath(old, kItemsFile));
        settings->url = u"http://known/feed";
        ASSERT_TRUE(settings->storeSettings());
    }
    fs::create_directories(target.path() / "Blog");  // a plain folder in the way of a feed
    target.write("blog (2)", "a file in the way too");
    std::vector<opml::Outline> outlines = {
        feed(u"Known", u"http://known/feed"),
        feed(u"Blog", u"http://one/"),
        feed(u"blog", u"http://two/"),
        feed(u"Again", u"http://one/"),
        feed(u"Script", u"javascript:alert(1)"),
        feed(u"Local", u"file:///etc/passwd"),
        feed(u"Long", u"http://x/" + std::u16string(300, u'a')),
        [] {
            opml::Outline link = feed(u"A page", u"http://page/");
            link.type = u"link";
            return link;
        }(),
    };
    ImportReport report = importOutlines(outlines, dir());
    ASSERT_TRUE(report.error.empty()) << toUtf8(report.error);
    ASSERT_EQ(report.lines.size(), outlines.size());
    struct Expected {
        ImportAction action;
        const char* name;
        bool failed;
    } expected[] = {
        {ImportAction::Kept, "Elsewhere/Old", false}, {ImportAction::Made, "Blog (3)", false},
        {ImportAction::Made, "blog (4)", false},      {ImportAction::Skipped, "Again", false},
        {ImportAction::Skipped, "Script", true},      {ImportAction::Skipped, "Local", true},
        {ImportAction::Skipped, "Long", true},        {ImportAction::Skipped, "A page", false},
    };
    for (size_t i = 0; i < outlines.size(); ++i) {
        EXPECT_EQ(report.lines[i].action, expected[i].action) << i;
        EXPECT_EQ(toUtf8(report.lines[i].name), expected[i].name) << i;
        EXPECT_EQ(report.lines[i].failed, expected[i].failed) << i;
        if (report.lines[i].action == ImportAction::Skipped) {
            EXPECT_FALSE(report.lines[i].reason.empty()) << i;
        }
    }
    EXPECT_TRUE(report.anyFailed());
    EXPECT_FALSE(isNewsFolder((target.path() / "Blog").u16string()));
}

TEST_F(OpmlImport, TenThousandOutlinesOfOneFeedMakeOneFolder) {
    std::vector<opml::Outline> outlines(10000, feed(u"Same", u"http://127.0.0.1/same"));
    ImportReport report = importOutlines(outlines, dir());
    ASSERT_TRUE(report.error.empty());
    EXPECT_EQ(report.madeFolders.size(), 1u);
    EXPECT_EQ(report.lines.size(), 10000u);
    EXPECT_FALSE(report.anyFailed());
}

// A write that fails halfway removes what this run made and nothing that was there before.
TEST_F(OpmlImport, AFailedImportRemovesOnlyWhatItMade) {
    fs::create_directories(target.path() / "Mine");
    target.write("Mine/keep.txt", "mine");
    // Folders nested this deep make a path longer than either system takes.
    opml::Outline deep = feed(u"Bottom", u"http://bottom/");
    for (int i = 0; i < 60; ++i)
        deep = group(std::u16string(70, static_cast<char16_t>(u'a' + i % 26)), {deep});
    std::vector<opml::Outline> outlines = {feed(u"First", u"http://first/"),
                                           group(u"Mine", {feed(u"In mine", u"http://in/")}), deep};
    ImportReport report = importOutlines(outlines, dir());
    EXPECT_FALSE(report.error.empty());
    EXPECT_NE(report.error.find(u"removed again"), std::u16string::npos) << toUtf8(report.error);
    EXPECT_TRUE(report.madeFolders.empty());
    EXPECT_EQ(treeOf(target.path()), std::set<std::string>{"Mine"});
    EXPECT_EQ(target.read("Mine/keep.txt"), "mine");
}

TEST_F(OpmlImport, RefusesFilesThatAreNoSubscriptionListAndMakesNothing) {
    TempFolder files;
    files.write("big.opml", "");
    fs::resize_file(files.path() / "big.opml", 100u * 1024 * 1024);
    files.write("feed.xml", "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel/></rss>");
    struct Case {
        std::u16string file;
        const char16_t* reason;
    } cases[] = {
        {files.file("big.opml"), u"larger than 16 MB"},
        {files.file("feed.xml"), u"not OPML"},
        {files.file("missing.opml"), u"cannot be read"},
    };
    for (const Case& c : cases) {
        ImportReport report = importOpmlFile(c.file, dir());
        EXPECT_NE(report.error.find(c.reason), std::u16string::npos) << toUtf8(report.error);
        EXPECT_TRUE(fs::is_empty(target.path()));
    }
}

}  // namespace
}  // namespace corvane::folder
