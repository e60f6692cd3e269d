#include "dialogs/OptionPages.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/ComApartment.h"
#include "support/TempFolder.h"
#include "support/TraceCapture.h"

namespace corvane::dialogs {
namespace {

using corvane::testing::TempFolder;

class OptionPagesTest : public ::testing::Test {
  protected:
    OptionPagesTest() {
        feed.settingsPath = folder.file("corvane.xml");
        feed.itemsPath = folder.file("rssitems.xml");
    }
    std::unique_ptr<RSSObject> reload() const { return loadRSSObject(feed.settingsPath, feed.itemsPath); }

    ComApartment apartment;  // for the XML component on Windows
    TempFolder folder;
    RSSObject feed;
};

TEST_F(OptionPagesTest, GeneralTicksOnlyExactOn) {
    feed.url = u"http://a.example/feed";
    feed.setParam(u"openOnDoubleClick", u"on");
    feed.setParam(u"rememberPosition", u"On");
    feed.setParam(u"dontShowDeleteConfirm", u"yes");
    OptionsGeneralPage page = OptionsGeneralPage::load(feed);
    EXPECT_EQ(page.url, u"http://a.example/feed");
    EXPECT_TRUE(page.openOnDoubleClick);
    EXPECT_FALSE(page.rememberPosition);
    EXPECT_FALSE(page.dontShowDeleteConfirm);
}

TEST_F(OptionPagesTest, GeneralApplyStoresOffForEveryClearBoxAndTheUrlAsTyped) {
    corvane::testing::TraceCapture capture("general-apply");
    OptionsGeneralPage page;
    page.url = u" not a url?q=1 ";
    EXPECT_TRUE(page.apply(feed));
    EXPECT_EQ(capture.messages(), std::vector<std::string>{"OptionsGeneralPage::apply"});
    EXPECT_EQ(feed.url, u" not a url?q=1 ");

    std::unique_ptr<RSSObject> stored = reload();
    EXPECT_EQ(stored->url, u"not a url?q=1");  // corvane.xml's text comes back trimmed
    for (const char16_t* name : {u"openOnDoubleClick", u"rememberPosition", u"dontShowDeleteConfirm"})
        EXPECT_EQ(stored->getParam(name, u"absent"), u"off");
}

TEST_F(OptionPagesTest, GeneralUrlIsCutAt299CharactersAndMayBeEmpty) {
    std::u16string url = u"http://a.example/" + std::u16string(400, u'x');
    OptionsGeneralPage page{url};
    page.apply(feed);
    EXPECT_EQ(feed.url, url.substr(0, 299));
    page.url.clear();
    page.apply(feed);
    EXPECT_FALSE(reload()->isConfigured());
}

TEST_F(OptionPagesTest, DisplayLoadsItsThreeControls) {
    OptionsDisplayPage fresh = OptionsDisplayPage::load(feed);
    EXPECT_FALSE(fresh.vertical);
    EXPECT_EQ(fresh.dateFormat, OptionsDisplayPage::kYearMonthDay);
    EXPECT_FALSE(fresh.showTime);  // although the list shows the time while the option is absent

    feed.setParam(u"splitterWindow", u"vertical");
    feed.setParam(u"formatTime", u"dmy");
    feed.setParam(u"displayTime", u"on");
    OptionsDisplayPage set = OptionsDisplayPage::load(feed);
    EXPECT_TRUE(set.vertical);
    EXPECT_EQ(set.dateFormat, OptionsDisplayPage::kDayMonthYear);
    EXPECT_TRUE(set.showTime);

    feed.setParam(u"splitterWindow", u"Vertical");
    feed.setParam(u"formatTime", u"DMY");
    EXPECT_FALSE(OptionsDisplayPage::load(feed).vertical);
    EXPECT_EQ(OptionsDisplayPage::load(feed).dateFormat, OptionsDisplayPage::kYearMonthDay);
}

TEST_F(OptionPagesTest, DisplayApplyStoresExactValues) {
    struct Case {
        bool vertical;
        int selection;
        bool showTime;
        const char16_t* splitter;
        const char16_t* format;
        const char16_t* time;
    } cases[] = {
        {true, 1, true, u"vertical", u"dmy", u"on"},
        {false, 0, false, u"horizontal", u"ymd", u"off"},
        {false, -1, false, u"horizontal", u"ymd", u"off"},
        {false, 7, true, u"horizontal", u"ymd", u"on"},
    };
    for (const Case& c : cases) {
        corvane::testing::TraceCapture capture("display-apply");
        OptionsDisplayPage page;
        page.vertical = c.vertical;
        page.dateFormat = c.selection;
        page.showTime = c.showTime;
        EXPECT_TRUE(page.apply(feed));
        EXPECT_EQ(capture.messages(), std::vector<std::string>{"OptionsDisplayPage::apply"});
        std::unique_ptr<RSSObject> stored = reload();
        EXPECT_EQ(stored->getParam(u"splitterWindow", u""), c.splitter);
        EXPECT_EQ(stored->getParam(u"formatTime", u""), c.format) << c.selection;
        EXPECT_EQ(stored->getParam(u"displayTime", u""), c.time);
    }
}

TEST_F(OptionPagesTest, ApplyReportsAFileThatCannotBeWritten) {
    feed.settingsPath = folder.file("missing/corvane.xml");
    EXPECT_FALSE(OptionsGeneralPage::load(feed).apply(feed));
    EXPECT_FALSE(OptionsDisplayPage::load(feed).apply(feed));
}

TEST_F(OptionPagesTest, SheetAppliesOnlyThePagesItOpened) {
    feed.url = u"http://a.example/feed";
    OptionsSheet sheet(feed);
    sheet.general().openOnDoubleClick = true;
    EXPECT_FALSE(sheet.displayOpened());
    EXPECT_TRUE(sheet.ok());
    std::unique_ptr<RSSObject> stored = reload();
    EXPECT_EQ(stored->getParam(u"openOnDoubleClick", u""), u"on");
    for (const char16_t* name : {u"splitterWindow", u"formatTime", u"displayTime"})
        EXPECT_EQ(stored->getParam(name, u"absent"), u"absent");
}

TEST_F(OptionPagesTest, SheetSetsOptionsAsTheirControlsWould) {
    OptionsSheet sheet(feed);
    EXPECT_EQ(sheet.setOption(u"rememberPosition", u"on"), OptionChange::Set);
    EXPECT_FALSE(sheet.displayOpened());
    EXPECT_EQ(sheet.setOption(u"splitterWindow", u"vertical"), OptionChange::Set);
    EXPECT_TRUE(sheet.displayOpened());
    EXPECT_EQ(sheet.setOption(u"formatTime", u"dmy"), OptionChange::Set);

    EXPECT_EQ(sheet.setOption(u"FormatTime", u"dmy"), OptionChange::UnknownOption);
    EXPECT_EQ(sheet.setOption(u"label1Title", u"Work"), OptionChange::UnknownOption);
    EXPECT_EQ(sheet.setOption(u"displayTime", u"yes"), OptionChange::BadValue);
    EXPECT_EQ(sheet.setOption(u"splitterWindow", u"Vertical"), OptionChange::BadValue);

    ASSERT_TRUE(sheet.ok());
    std::unique_ptr<RSSObject> stored = reload();
    EXPECT_EQ(stored->getParam(u"rememberPosition", u""), u"on");
    EXPECT_EQ(stored->getParam(u"openOnDoubleClick", u""), u"off");
    EXPECT_EQ(stored->getParam(u"splitterWindow", u""), u"vertical");
    EXPECT_EQ(stored->getParam(u"formatTime", u""), u"dmy");
    EXPECT_EQ(stored->getParam(u"displayTime", u""), u"off");
}

}  // namespace
}  // namespace corvane::dialogs
