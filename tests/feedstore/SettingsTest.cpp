#include <gtest/gtest.h>

#include "feedstore/FolderSave.h"
#include "feedstore/Options.h"
#include "feedstore/RSSObject.h"
#include "feedstore/XmlAccess.h"
#include "platform/FileReplace.h"
#include "support/TempFolder.h"
#include "support/TraceCapture.h"

namespace corvane {
namespace {

class Settings : public ::testing::Test {
  protected:
    std::unique_ptr<RSSObject> load() {
        return loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
    }

    testing::TempFolder folder;
};

const char kFullSettings[] = R"(<?xml version="1.0" encoding="utf-8"?>
<corvane version="1.0">
  <title>Channel</title><link>http://127.0.0.1/</link><description>About it</description>
  <url>http://127.0.0.1:8080/feed.xml?a=1&amp;b=2</url>
  <param name="openOnDoubleClick" value="on"/>
  <param value="nameless"/>
  <param name="formatTime" value="dmy"/>
  <param name="openOnDoubleClick" value="off"/>
  <identity><id>b</id><id>a</id><id>ab</id><id>b</id><id>B</id></identity>
</corvane>)";

TEST_F(Settings, MissingFileGivesAnUnconfiguredObjectWithDefaults) {
    testing::TraceCapture capture("settings-missing");
    auto feed = load();
    ASSERT_TRUE(feed);
    EXPECT_FALSE(feed->isConfigured());
    EXPECT_EQ(feed->settingsPath, folder.file("corvane.xml"));
    EXPECT_EQ(feed->itemsPath, folder.file("rssitems.xml"));
    EXPECT_EQ(feed->settingsState, StoreFileState::Missing);
    EXPECT_FALSE(options::isOn(*feed, options::kOpenOnDoubleClick));
    EXPECT_FALSE(options::splitterIsVertical(*feed));
    EXPECT_FALSE(options::datesAreDayMonthYear(*feed));
    EXPECT_TRUE(options::datesShowTime(*feed));
    EXPECT_EQ(options::labelTitle(*feed, 0), u"Default");
    EXPECT_EQ(options::labelTitle(*feed, 5), u"Label 5");
    const auto messages = capture.messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("Can't RSSObject::serializeSettingsFromXml"), std::string::npos);
}

TEST_F(Settings, ReadsEveryField) {
    folder.write("corvane.xml", kFullSettings);
    auto feed = load();
    EXPECT_EQ(feed->settingsState, StoreFileState::Read);
    EXPECT_EQ(feed->title, u"Channel");
    EXPECT_EQ(feed->link, u"http://127.0.0.1/");
    EXPECT_EQ(feed->description, u"About it");
    EXPECT_EQ(feed->url, u"http://127.0.0.1:8080/feed.xml?a=1&b=2");
    EXPECT_TRUE(feed->isConfigured());
    ASSERT_EQ(feed->params.size(), 4u);
    EXPECT_EQ(feed->params[1].name, u"");
    EXPECT_EQ(feed->params[1].value, u"nameless");
    EXPECT_TRUE(options::datesAreDayMonthYear(*feed));
}

TEST_F(Settings, FirstOfTwoParamsWinsAndSetParamChangesBoth) {
    folder.write("corvane.xml", kFullSettings);
    auto feed = load();
    EXPECT_EQ(feed->getParam(u"openOnDoubleClick", u""), u"on");
    EXPECT_EQ(feed->getParam(u"OpenOnDoubleClick", u"none"), u"none");  // names are case-sensitive
    feed->setParam(u"openOnDoubleClick", u"off");
    EXPECT_EQ(feed->params[0].value, u"off");
    EXPECT_EQ(feed->params[3].value, u"off");
    feed->setParam(u"displayTime", u"off");
    EXPECT_EQ(feed->params.size(), 5u);
    EXPECT_EQ(feed->params.back().name, u"displayTime");
    EXPECT_FALSE(options::datesShowTime(*feed));
}

TEST_F(Settings, IdsAreKeptOnceInCodeUnitOrder) {
    folder.write("corvane.xml", kFullSettings);
    auto feed = load();
    std::vector<std::u16string> ids(feed->identity.begin(), feed->identity.end());
    EXPECT_EQ(ids, (std::vector<std::u16string>{u"B", u"a", u"ab", u"b"}));
    feed->identity.insert(u"\u00E9");
    feed->identity.insert(u"\U0001F600");  // a surrogate pair sorts by its units, before U+E000 and up
    feed->identity.insert(u"\uFF21");
    ids.assign(feed->identity.begin(), feed->identity.end());
    EXPECT_EQ(ids.back(), u"\uFF21");
    EXPECT_EQ(ids[ids.size() - 2], u"\U0001F600");
}

TEST_F(Settings, StoreThenLoadGivesTheSameObject) {
    folder.write("corvane.xml", kFullSettings);
    auto feed = load();
    feed->title = u"T\u00EFtle \U0001D11E <&>";
    feed->storeSettings();
    auto again = load();
    EXPECT_EQ(again->title, feed->title);
    EXPECT_EQ(again->url, feed->url);
    EXPECT_EQ(again->identity, feed->identity);
    ASSERT_EQ(again->params.size(), feed->params.size());
    for (size_t i = 0; i < feed->params.size(); ++i) {
        EXPECT_EQ(again->params[i].name, feed->params[i].name);
        EXPECT_EQ(again->params[i].value, feed->params[i].value);
    }
}

TEST_F(Settings, NewObjectIsStoredWithEmptyElementsAndIdentity) {
    RSSObject feed;
    feed.settingsPath = folder.file("corvane.xml");
    feed.storeSettings();
    const std::string saved = folder.read("corvane.xml");
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u) << saved;
    for (const char* part :
         {"<corvane version=\"1.0\">", "<title", "<link", "<description", "<url", "<identity"})
        EXPECT_NE(saved.find(part), std::string::npos) << part << " in " << saved;
    EXPECT_EQ(saved.find("<param"), std::string::npos);
    auto loaded = load();
    EXPECT_EQ(loaded->settingsState, StoreFileState::Read);
    EXPECT_TRUE(loaded->identity.empty());
}

TEST_F(Settings, FailedSaveKeepsTheOldFileWhole) {
    folder.write("corvane.xml", kFullSettings);
    auto feed = load();
    feed->url.clear();
    feed->identity.clear();
    failNextFileReplaceAt(FileReplaceStage::Flush);
    EXPECT_FALSE(feed->storeSettings());
    EXPECT_EQ(folder.read("corvane.xml"), kFullSettings);
}

TEST_F(Settings, AnyVersionIsRead) {
    folder.write("corvane.xml", R"(<corvane version="7.3"><url>http://127.0.0.1/x</url></corvane>)");
    EXPECT_EQ(load()->url, u"http://127.0.0.1/x");
    folder.write("corvane.xml", R"(<corvane><url>http://127.0.0.1/y</url></corvane>)");
    EXPECT_EQ(load()->url, u"http://127.0.0.1/y");
}

TEST_F(Settings, BrokenFileOrOtherRootGivesAnUnconfiguredObject) {
    for (const char* text : {"<corvane><url>http://127.0.0.1/</url>",
                             "<rss><url>http://127.0.0.1/</url></rss>", "", "\xFF\xFE garbage"}) {
        folder.write("corvane.xml", text);
        auto feed = load();
        ASSERT_TRUE(feed);
        EXPECT_FALSE(feed->isConfigured()) << text;
        EXPECT_EQ(feed->settingsState, StoreFileState::Unreadable) << text;
    }
}

// A file that could not be read is copied aside before the first save replaces it, and an earlier
// copy is never replaced.
TEST_F(Settings, UnreadableFileIsKeptBeforeItIsReplaced) {
    const std::string broken = "<corvane><url>http://127.0.0.1/precious</url>";
    folder.write("corvane.xml", broken);
    folder.write("corvane.xml.bad", "older copy");
    auto feed = load();
    feed->url = u"http://127.0.0.1/new";
    feed->storeSettings();
    EXPECT_EQ(folder.read("corvane.xml.bad"), "older copy");
    EXPECT_EQ(folder.read("corvane.xml.bad.1"), broken);
    EXPECT_EQ(load()->url, u"http://127.0.0.1/new");
    // Only once: the file now holds what we wrote.
    feed->storeSettings();
    EXPECT_FALSE(folder.exists("corvane.xml.bad.2"));
}

TEST_F(Settings, FileThatCouldNotBeOpenedIsNeverReplaced) {
    // A folder where the file should be: something is there that cannot be read as a file.
    std::filesystem::create_directory(folder.path() / "corvane.xml");
    auto feed = load();
    EXPECT_EQ(feed->settingsState, StoreFileState::Locked);
    feed->url = u"http://127.0.0.1/";
    feed->storeSettings();
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "corvane.xml"));
    EXPECT_FALSE(folder.exists("corvane.xml.bad"));
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

// The settings file is written as text; its bytes stay those the document model saves (but for a
// carriage return in element text, which the text keeps as a reference where the native document
// model wrote a line feed).
TEST(SettingsText, IsWhatTheDocumentModelSavesForTheSameSettings) {
    const std::u16string awkward = u" a & b <c> \"d\" 'e' ]]> \t tab \n lf \U0001F600 \u00E9 ";
    RSSObject full;  // every field, and what text and attributes escape
    full.title = awkward;
    full.description = u"About it";
    full.url = u"http://127.0.0.1/feed?a=1&b=2";
    full.params = {{u"etag", u"\"x\"\r" + awkward}, {u"empty", u""}, {awkward, u"v"}};
    full.identity = {u"b", u"a+/=", u"held"};
    auto held = std::make_unique<RSSItem>();
    held->id = u"held";
    full.items.push_back(std::move(held));
    full.unstoredIds = {u"held"};  // held but never stored: not written
    RSSObject unstoredOnly;
    unstoredOnly.identity = {u"held"};
    unstoredOnly.unstoredIds = {u"held"};
    auto item = std::make_unique<RSSItem>();
    item->id = u"held";
    unstoredOnly.items.push_back(std::move(item));

    RSSObject empty;
    for (const RSSObject* feed : {&full, &unstoredOnly, &empty}) {
        xml::DocumentPtr document = xml::loadXmlText(kSettingsSkeleton);
        xml::NodePtr root = xml::selectElement(*document, u"corvane");
        ASSERT_TRUE(root);
        feed->serializeSettingsToXml(*document, *root);
        EXPECT_EQ(settingsFileText(*feed), document->serialize());
    }
}

}  // namespace
}  // namespace corvane
