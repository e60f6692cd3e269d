// The real Options sheet, driven as a user would from inside its modal loop.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/DialogOptions.h"
#include "feedstore/RSSObject.h"
#include "platform/Utf.h"
#include "resources/ResourceIds.h"
#include "support/TempFolder.h"
#include "support/TraceCapture.h"
#include "support/WindowWatcher.h"

namespace corvane {
namespace {

using corvane::testing::TempFolder;
using corvane::testing::TraceCapture;
using corvane::testing::WindowWatcher;

constexpr char kAllOn[] = R"(<?xml version="1.0" encoding="utf-8"?>
<corvane><url>http://127.0.0.1/feed.xml</url>
<param name="openOnDoubleClick" value="on"/><param name="rememberPosition" value="on"/>
<param name="dontShowDeleteConfirm" value="on"/><param name="splitterWindow" value="vertical"/>
<param name="formatTime" value="dmy"/><param name="displayTime" value="on"/></corvane>)";

std::wstring textOf(HWND page, int id) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(page, id, text, 1024);
    return text;
}

bool ticked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void tick(HWND page, int id, bool on) {
    CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
}

HWND currentPage(HWND sheet) {
    return PropSheet_GetCurrentPageHwnd(sheet);
}

HWND openDisplay(HWND sheet) {
    PropSheet_SetCurSel(sheet, nullptr, 1);
    return currentPage(sheet);
}

std::wstring comboText(HWND page, int item) {
    wchar_t text[64] = {};
    SendDlgItemMessageW(page, IDC_DATE_FORMAT, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
    return text;
}

// Texts of the page's labels that do not fit on one line of their control: a label breaks its text
// at words and shows only as many lines as its height holds.
std::vector<std::wstring> wrappedLabels(HWND page) {
    std::vector<std::wstring> wrapped;
    for (HWND control = GetWindow(page, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(control, className, 32);
        wchar_t text[256] = {};
        int length = GetWindowTextW(control, text, 256);
        if (_wcsicmp(className, L"Static") != 0 || length == 0) continue;
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
        RECT client{}, oneLine{}, broken{};
        GetClientRect(control, &client);
        broken = client;
        DrawTextW(dc, text, length, &oneLine, DT_CALCRECT | DT_SINGLELINE);
        DrawTextW(dc, text, length, &broken, DT_CALCRECT | DT_WORDBREAK);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        if (broken.bottom > oneLine.bottom) wrapped.push_back(text);
    }
    return wrapped;
}

class OptionsSheet : public ::testing::Test {
  protected:
    void useSettings(const std::string& xml) {
        folder.write("corvane.xml", xml);
        feed = loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
    }

    // Shows the sheet; `script` gets it once it is on screen and must end it.
    void show(const std::function<void(HWND)>& script) {
        WindowWatcher watcher(L"Options", script);
        ShowOptionsDialog(*feed);
        EXPECT_TRUE(watcher.acted());
    }

    // The settings as the file now holds them.
    std::unique_ptr<RSSObject> stored() const {
        return loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
    }

    TempFolder folder;
    std::unique_ptr<RSSObject> feed;
};

TEST_F(OptionsSheet, HasGeneralThenDisplayWithOkAndCancelOnly) {
    useSettings(kAllOn);
    show([](HWND sheet) {
        HWND tabs = PropSheet_GetTabControl(sheet);
        ASSERT_EQ(TabCtrl_GetItemCount(tabs), 2);
        for (int i = 0; i < 2; ++i) {
            wchar_t text[32] = {};
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 32;
            TabCtrl_GetItem(tabs, i, &item);
            EXPECT_STREQ(text, i == 0 ? L"General" : L"Display");
        }
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDOK)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDCANCEL)));
        HWND apply = GetDlgItem(sheet, 0x3021);
        EXPECT_TRUE(!apply || !IsWindowVisible(apply));
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
}

TEST_F(OptionsSheet, PagesShowTheFeedsSettings) {
    useSettings(kAllOn);
    show([](HWND sheet) {
        HWND general = currentPage(sheet);
        EXPECT_EQ(textOf(general, IDC_FEED_URL), L"http://127.0.0.1/feed.xml");
        EXPECT_TRUE(ticked(general, IDC_OPEN_ON_DOUBLE_CLICK));
        EXPECT_TRUE(ticked(general, IDC_REMEMBER_POSITION));
        EXPECT_TRUE(ticked(general, IDC_DONT_SHOW_DELETE_CONFIRM));
        HWND display = openDisplay(sheet);
        EXPECT_FALSE(ticked(display, IDC_SPLIT_HORIZONTAL));
        EXPECT_TRUE(ticked(display, IDC_SPLIT_VERTICAL));
        EXPECT_EQ(SendDlgItemMessageW(display, IDC_DATE_FORMAT, CB_GETCURSEL, 0, 0), 1);
        EXPECT_TRUE(ticked(display, IDC_SHOW_TIME));
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
}

TEST_F(OptionsSheet, OnlyOnTicksABoxAndMissingOptionsShowTheDefaults) {
    useSettings(R"(<corvane><url>x</url><param name="openOnDoubleClick" value="On"/>
        <param name="rememberPosition" value="yes"/><param name="splitterWindow" value="Vertical"/></corvane>)");
    show([](HWND sheet) {
        HWND general = currentPage(sheet);
        EXPECT_FALSE(ticked(general, IDC_OPEN_ON_DOUBLE_CLICK));
        EXPECT_FALSE(ticked(general, IDC_REMEMBER_POSITION));
        EXPECT_FALSE(ticked(general, IDC_DONT_SHOW_DELETE_CONFIRM));
        HWND display = openDisplay(sheet);
        EXPECT_TRUE(ticked(display, IDC_SPLIT_HORIZONTAL));
        // The list keeps its insertion order although it has the sorted style.
        ASSERT_EQ(SendDlgItemMessageW(display, IDC_DATE_FORMAT, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(comboText(display, 0), L"YYYY-MM-DD");
        EXPECT_EQ(comboText(display, 1), L"DD.MM.YYYY");
        EXPECT_EQ(textOf(display, IDC_DATE_FORMAT), L"YYYY-MM-DD");
        EXPECT_FALSE(ticked(display, IDC_SHOW_TIME));
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    auto file = stored();
    EXPECT_EQ(file->getParam(u"formatTime", u"-"), u"ymd");
    EXPECT_EQ(file->getParam(u"splitterWindow", u"-"), u"horizontal");
    EXPECT_EQ(file->getParam(u"displayTime", u"-"), u"off");
}

TEST_F(OptionsSheet, NothingTickedStoresOffForTheGeneralOptions) {
    useSettings(kAllOn);
    show([](HWND sheet) {
        HWND general = currentPage(sheet);
        for (int id : {IDC_OPEN_ON_DOUBLE_CLICK, IDC_REMEMBER_POSITION, IDC_DONT_SHOW_DELETE_CONFIRM})
            tick(general, id, false);
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    auto file = stored();
    for (const char16_t* name : {u"openOnDoubleClick", u"rememberPosition", u"dontShowDeleteConfirm"})
        EXPECT_EQ(file->getParam(name, u"-"), u"off") << toUtf8(name);
}

TEST_F(OptionsSheet, ClearedUrlUnconfiguresTheFolder) {
    useSettings(kAllOn);
    show([](HWND sheet) {
        SetDlgItemTextW(currentPage(sheet), IDC_FEED_URL, L"");
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    EXPECT_FALSE(feed->isConfigured());
    EXPECT_FALSE(stored()->isConfigured());
}

TEST_F(OptionsSheet, LongUrlIsStoredAsItsFirst299Characters) {
    useSettings(kAllOn);
    std::wstring typed = L"http://127.0.0.1/" + std::wstring(383, L'a');
    ASSERT_EQ(typed.size(), 400u);
    show([&](HWND sheet) {
        HWND general = currentPage(sheet);
        SetDlgItemTextW(general, IDC_FEED_URL, typed.c_str());
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    std::u16string expected(typed.begin(), typed.begin() + 299);
    EXPECT_EQ(feed->url, expected);
    EXPECT_EQ(stored()->url, expected);
}

TEST_F(OptionsSheet, OkWithOnlyGeneralOpenedLeavesTheDisplayOptions) {
    useSettings(R"(<corvane><url>x</url><param name="splitterWindow" value="vertical"/>
        <param name="formatTime" value="mdy"/></corvane>)");
    show([](HWND sheet) {
        tick(currentPage(sheet), IDC_REMEMBER_POSITION, true);
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    auto file = stored();
    EXPECT_EQ(file->getParam(u"rememberPosition", u"-"), u"on");
    EXPECT_EQ(file->getParam(u"splitterWindow", u"-"), u"vertical");
    EXPECT_EQ(file->getParam(u"formatTime", u"-"), u"mdy");
    EXPECT_EQ(file->getParam(u"displayTime", u"-"), u"-");
}

TEST_F(OptionsSheet, OkAppliesGeneralFirstEvenFromTheDisplayTab) {
    useSettings(kAllOn);
    TraceCapture capture("options-order");
    show([](HWND sheet) {
        SetDlgItemTextW(currentPage(sheet), IDC_FEED_URL, L"http://127.0.0.1/other.xml");
        HWND display = openDisplay(sheet);
        CheckRadioButton(display, IDC_SPLIT_HORIZONTAL, IDC_SPLIT_VERTICAL, IDC_SPLIT_HORIZONTAL);
        SendDlgItemMessageW(display, IDC_DATE_FORMAT, CB_SETCURSEL, 0, 0);
        tick(display, IDC_SHOW_TIME, false);
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    auto messages = capture.messages();
    auto general = std::find(messages.begin(), messages.end(), "OptionsGeneralPage::apply");
    auto display = std::find(messages.begin(), messages.end(), "OptionsDisplayPage::apply");
    ASSERT_NE(general, messages.end());
    ASSERT_NE(display, messages.end());
    EXPECT_LT(general, display);
    auto file = stored();
    EXPECT_EQ(file->url, u"http://127.0.0.1/other.xml");
    EXPECT_EQ(file->getParam(u"openOnDoubleClick", u"-"), u"on");
    EXPECT_EQ(file->getParam(u"splitterWindow", u"-"), u"horizontal");
    EXPECT_EQ(file->getParam(u"formatTime", u"-"), u"ymd");
    EXPECT_EQ(file->getParam(u"displayTime", u"-"), u"off");
}

TEST_F(OptionsSheet, CancelAndTheCloseBoxLeaveFeedAndFileAsTheyWere) {
    for (bool closeBox : {false, true}) {
        useSettings(kAllOn);
        const std::string before = folder.read("corvane.xml");
        show([&](HWND sheet) {
            HWND general = currentPage(sheet);
            SetDlgItemTextW(general, IDC_FEED_URL, L"");
            tick(general, IDC_OPEN_ON_DOUBLE_CLICK, false);
            HWND display = openDisplay(sheet);
            tick(display, IDC_SHOW_TIME, false);
            SendDlgItemMessageW(display, IDC_DATE_FORMAT, CB_SETCURSEL, 0, 0);
            if (closeBox)
                SendMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                PropSheet_PressButton(sheet, PSBTN_CANCEL);
        });
        EXPECT_EQ(folder.read("corvane.xml"), before) << (closeBox ? "close box" : "Cancel");
        EXPECT_EQ(feed->url, u"http://127.0.0.1/feed.xml");
        EXPECT_EQ(feed->getParam(u"displayTime", u"-"), u"on");
    }
}

// An update may hand its results over on this thread while the sheet is open; OK must keep them.
TEST_F(OptionsSheet, ResultsHandedOverWhileOpenAreStoredWithTheSheets) {
    useSettings(kAllOn);
    show([&](HWND sheet) {
        SetDlgItemTextW(currentPage(sheet), IDC_FEED_URL, L"http://127.0.0.1/moved.xml");
        feed->title = u"Handed over";
        feed->identity.insert(u"AAAAAAAAAAAAAAAAAAAAAA");
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    auto file = stored();
    EXPECT_EQ(file->url, u"http://127.0.0.1/moved.xml");
    EXPECT_EQ(file->title, u"Handed over");
    EXPECT_EQ(file->identity.count(u"AAAAAAAAAAAAAAAAAAAAAA"), 1u);
}

TEST_F(OptionsSheet, EveryLabelShowsItsWholeText) {
    useSettings(kAllOn);
    show([](HWND sheet) {
        EXPECT_EQ(wrappedLabels(currentPage(sheet)), std::vector<std::wstring>{});
        EXPECT_EQ(wrappedLabels(openDisplay(sheet)), std::vector<std::wstring>{});
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
}

}  // namespace
}  // namespace corvane
