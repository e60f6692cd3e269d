#include "browser/BrowserFrame.h"

#include <gtest/gtest.h>

namespace corvane::browser {
namespace {

TEST(BrowserFrame, ViewCommandsGoToTheViewAndOursStayHere) {
    // The view's "Update feed", "Settings...", "About Corvane", and the ends of its range.
    for (uint32_t id : {3003u, 3000u, 3001u, 0u, 0x7FFFu})
        EXPECT_EQ(commandOwner(id), CommandOwner::View) << id;
    for (uint32_t id : {uint32_t(kCommandClose), uint32_t(kCommandRefresh), uint32_t(kCommandAboutWindow),
                        kBrowserCommandFirst, kBrowserCommandLast})
        EXPECT_EQ(commandOwner(id), CommandOwner::Browser) << id;
    // The shared popups' own ids and what lies beyond both ranges are nobody's command.
    for (uint32_t id : {0x8000u, 0x8040u, 0x8100u, 0x9FFFu, 0xBF01u, 0xFFFFu})
        EXPECT_EQ(commandOwner(id), CommandOwner::Nobody) << id;
}

TEST(BrowserFrame, FocusOnlyWhenActiveWithTheKeyboardInTheView) {
    EXPECT_EQ(activationFor(true, true), Activation::Focus);
    EXPECT_EQ(activationFor(true, false), Activation::NoFocus);
    EXPECT_EQ(activationFor(false, true), Activation::NoFocus);
    EXPECT_EQ(activationFor(false, false), Activation::NoFocus);
    EXPECT_EQ(static_cast<unsigned>(Activation::Focus), 2u);
    EXPECT_EQ(static_cast<unsigned>(Activation::NoFocus), 1u);
}

TEST(BrowserFrame, TitleIsTheFolderName) {
    EXPECT_EQ(windowTitle(u"C:\\News\\Harbourtown news"), u"Harbourtown news");
    EXPECT_EQ(windowTitle(u"C:\\News\\Harbourtown news\\"), u"Harbourtown news");
    EXPECT_EQ(windowTitle(u"/tmp/demo/Harbourtown news//"), u"Harbourtown news");
    EXPECT_EQ(windowTitle(u"Harbour"), u"Harbour");
    EXPECT_EQ(windowTitle(u"C:\\"), u"C:\\");
    EXPECT_EQ(windowTitle(u""), u"Corvane");
}

TEST(BrowserFrame, ViewFillsTheFrameAboveTheStatusBar) {
    Area shown = viewArea(900, 600, 22, true);
    EXPECT_EQ(shown.left, 0);
    EXPECT_EQ(shown.top, 0);
    EXPECT_EQ(shown.width, 900);
    EXPECT_EQ(shown.height, 578);
    EXPECT_EQ(viewArea(900, 600, 22, false).height, 600);
    // A window made smaller than its status bar gives the view no room, never a negative size.
    Area tiny = viewArea(-4, 10, 22, true);
    EXPECT_EQ(tiny.width, 0);
    EXPECT_EQ(tiny.height, 0);
}

}  // namespace
}  // namespace corvane::browser
