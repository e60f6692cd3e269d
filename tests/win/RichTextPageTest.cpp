// The page control where no HTML document can be created, as under Wine: the rich-text page.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "itempage/RichTextPage.h"
#include "itempage/WebPageControl.h"
#include "platform/Win32Text.h"

namespace corvane {
namespace {

std::vector<std::u16string> openedLinks;

std::u16string number(int value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

bool recordLink(std::u16string_view url) {
    openedLinks.emplace_back(url);
    return true;
}

class RichTextPage : public ::testing::Test {
  protected:
    void SetUp() override {
        openedLinks.clear();
        previousOpener = CRichTextPage::SetLinkOpener(&recordLink);
        parent = CreateWindowExW(0, L"STATIC", L"page test", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        ASSERT_NE(control.Create(parent, L"MSHTML:", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                                 WS_EX_CLIENTEDGE),
                  nullptr);
        IUnknown* hosted = nullptr;
        if (SUCCEEDED(control.QueryControl(IID_IUnknown, reinterpret_cast<void**>(&hosted)))) {
            hosted->Release();
            GTEST_SKIP() << "an HTML engine is installed here";
        }
        MoveWindow(control.Window(), 10, 10, 400, 300, TRUE);
        page = GetWindow(control.Window(), GW_CHILD);
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override {
        control.Destroy();
        DestroyWindow(parent);
        CRichTextPage::SetLinkOpener(previousOpener);
    }

    std::wstring pageText() const {
        GETTEXTLENGTHEX length{GTL_DEFAULT, 1200};
        std::wstring text(static_cast<size_t>(
                              SendMessageW(page, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0)) +
                              1,
                          L'\0');
        GETTEXTEX get{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
        const LRESULT copied = SendMessageW(page, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                            reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(copied));
        return text;
    }

    DWORD effectsAt(const std::wstring& text) const {
        const size_t position = pageText().find(text);
        EXPECT_NE(position, std::wstring::npos) << "no " << std::string(text.begin(), text.end());
        SendMessageW(page, EM_SETSEL, position, position + 1);
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        SendMessageW(page, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format.dwEffects;
    }

    void clickAt(const std::wstring& text, UINT mouseMessage = WM_LBUTTONUP) {
        const LONG position = static_cast<LONG>(pageText().find(text));
        ENLINK link{};
        link.nmhdr.hwndFrom = page;
        link.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(page));
        link.nmhdr.code = EN_LINK;
        link.msg = mouseMessage;
        link.chrg = {position, position + 1};
        SendMessageW(control.Window(), WM_NOTIFY, link.nmhdr.idFrom, reinterpret_cast<LPARAM>(&link));
    }

    static RSSItem fullItem() {
        RSSItem item;
        item.title = u"Title";
        item.link = u"http://example.com/article";
        item.description =
            u"plain <b>bold</b> <a href=\"https://example.com/inner\">inner</a> "
            u"<a href=\"javascript:alert(1)\">script</a> <a href=\"mailto:a@example.com\">mail</a>";
        item.author = u"Author";
        item.hasDate = true;
        item.publishedTime = SystemTime{2003, 6, 1, 9, 23, 0, 59, 0};
        item.enclosure =
            std::make_unique<RSSEnclosure>(RSSEnclosure{u"http://example.com/a.mp3", 12, u"audio/mpeg"});
        return item;
    }

    WebPageControl control;
    CRichTextPage::LinkOpener previousOpener = nullptr;
    HWND parent = nullptr;
    HWND page = nullptr;
};

TEST_F(RichTextPage, FillsTheControlsWindowAndFollowsItsSize) {
    wchar_t className[64] = {};
    GetClassNameW(page, className, 64);
    EXPECT_TRUE(lstrcmpiW(className, MSFTEDIT_CLASS) == 0 || lstrcmpiW(className, RICHEDIT_CLASSW) == 0)
        << std::string(className, className + lstrlenW(className));
    const auto expectFilled = [&] {
        RECT client, pageRect;
        GetClientRect(control.Window(), &client);
        MapWindowPoints(control.Window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        GetWindowRect(page, &pageRect);
        EXPECT_TRUE(EqualRect(&client, &pageRect));
    };
    expectFilled();
    MoveWindow(control.Window(), 0, 0, 250, 120, TRUE);
    expectFilled();
    EXPECT_FALSE(GetWindowLongPtrW(control.Window(), GWL_STYLE) & WS_VSCROLL) << "the page has its own bar";
}

TEST_F(RichTextPage, ShowsTheItemsFieldsWithAndWithoutTheOptionalOnes) {
    control.ShowItem(fullItem());
    EXPECT_EQ(
        pageText(),
        L"2003-06-09 23:00\rTitle\rplain bold inner script mail\rOriginal article link\rAttachment\rAuthor");
    RSSItem bare;
    bare.title = u"Only &amp; title";
    control.ShowItem(bare);
    EXPECT_EQ(pageText(), L"Only &amp; title\rOriginal article link");
}

TEST_F(RichTextPage, TextThatLooksLikeRtfIsShownAsText) {
    RSSItem item;
    item.title = u"{\\rtf1 {\\b bold}}";
    control.ShowItem(item);
    EXPECT_EQ(pageText(), L"{\\rtf1 {\\b bold}}\rOriginal article link");
}

TEST_F(RichTextPage, TheCaretStaysHidden) {
    ShowWindow(parent, SW_SHOW);
    SetForegroundWindow(parent);
    SetFocus(control.Window());
    ASSERT_EQ(GetFocus(), page) << "focus on the control goes to its page";
    control.ShowItem(fullItem());
    SendMessageW(page, WM_KEYDOWN, VK_DOWN, 0);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
    EXPECT_EQ(info.hwndCaret, nullptr);
    SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    SendMessageW(page, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
    ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
    EXPECT_EQ(info.hwndCaret, nullptr);
}

TEST_F(RichTextPage, BoldAndLinksStandWhereTheMarkupPutThem) {
    control.ShowItem(fullItem());
    EXPECT_FALSE(effectsAt(L"plain") & CFE_BOLD);
    EXPECT_TRUE(effectsAt(L"bold") & CFE_BOLD);
    EXPECT_FALSE(effectsAt(L"bold") & CFE_LINK);
    EXPECT_TRUE(effectsAt(L"inner") & CFE_LINK);
    EXPECT_FALSE(effectsAt(L"script") & CFE_LINK);
    EXPECT_FALSE(effectsAt(L"mail") & CFE_LINK);
    EXPECT_TRUE(effectsAt(L"Original article link") & CFE_LINK);
    EXPECT_TRUE(effectsAt(L"Attachment") & CFE_LINK);
    EXPECT_FALSE(effectsAt(L"Author") & CFE_LINK);
}

TEST_F(RichTextPage, TableCellsOfEveryRowStartAtOnePlace) {
    RSSItem item;
    item.title = u"Ferries";
    item.description =
        u"<table><tr><td>Departure</td><td>07:15</td></tr><tr><td>Return</td><td>18:40</td></tr></table>";
    control.ShowItem(item);
    auto leftOf = [&](const std::wstring& text) {
        POINTL point{};
        SendMessageW(page, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point),
                     static_cast<LPARAM>(pageText().find(text)));
        return point.x;
    };
    EXPECT_GT(leftOf(L"07:15"), leftOf(L"Departure"));
    EXPECT_EQ(leftOf(L"07:15"), leftOf(L"18:40"));
}

TEST_F(RichTextPage, ClickingAWebLinkOpensItAndNothingElseDoes) {
    control.ShowItem(fullItem());
    clickAt(L"inner", WM_MOUSEMOVE);
    clickAt(L"script");
    clickAt(L"plain");
    EXPECT_TRUE(openedLinks.empty());
    clickAt(L"inner");
    clickAt(L"Original article link");
    clickAt(L"Attachment");
    EXPECT_EQ(openedLinks,
              (std::vector<std::u16string>{u"https://example.com/inner", u"http://example.com/article",
                                           u"http://example.com/a.mp3"}));
}

TEST_F(RichTextPage, TabSelectsTheLinksInTurnAndEnterOpensTheSelectedOne) {
    control.ShowItem(fullItem());
    const auto selected = [&] {
        CHARRANGE range{};
        SendMessageW(page, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return pageText().substr(static_cast<size_t>(range.cpMin),
                                 static_cast<size_t>(range.cpMax - range.cpMin));
    };
    const auto press = [&](WPARAM key, bool shift = false) {
        BYTE saved[256]{}, held[256]{};
        GetKeyboardState(saved);
        std::copy(std::begin(saved), std::end(saved), held);
        held[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(held);
        SendMessageW(page, WM_KEYDOWN, key, 0);
        SetKeyboardState(saved);
    };
    press(VK_RETURN);  // nothing selected: nothing opens
    EXPECT_TRUE(openedLinks.empty());
    // The script and mail anchors are no links, so Tab passes them by.
    const wchar_t* forwards[] = {L"inner", L"Original article link", L"Attachment", L""};
    for (const wchar_t* link : forwards) {
        press(VK_TAB);
        EXPECT_EQ(selected(), link);
    }
    press(VK_TAB);
    EXPECT_EQ(selected(), L"inner") << "after leaving, Tab starts at the top again";
    press(VK_TAB);
    press(VK_TAB, true);
    EXPECT_EQ(selected(), L"inner");
    press(VK_RETURN);
    press(VK_TAB);
    press(VK_RETURN);
    EXPECT_EQ(openedLinks,
              (std::vector<std::u16string>{u"https://example.com/inner", u"http://example.com/article"}));
    press(VK_TAB, true);
    press(VK_TAB, true);
    EXPECT_EQ(selected(), L"") << "before the first link the keyboard leaves the page";
}

TEST_F(RichTextPage, AMouseClickOnALinkReachesTheOpenerThroughTheControl) {
    control.ShowItem(fullItem());
    const auto click = [&](const std::wstring& text) {
        POINTL point{};
        SendMessageW(page, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), pageText().find(text) + 1);
        const LPARAM at = MAKELPARAM(point.x + 1, point.y + 3);
        SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(page, WM_LBUTTONUP, 0, at);
    };
    click(L"script");
    EXPECT_TRUE(openedLinks.empty());
    click(L"inner");
    EXPECT_EQ(openedLinks, std::vector<std::u16string>{u"https://example.com/inner"});
}

TEST_F(RichTextPage, ShowingAnItemReplacesTheContentAndStartsAtTheTop) {
    RSSItem longItem = fullItem();
    longItem.description.clear();
    for (int i = 0; i < 80; ++i)
        longItem.description += u"<p>paragraph " + number(i) + u"</p>";
    control.ShowItem(longItem);
    SendMessageW(page, WM_VSCROLL, SB_BOTTOM, 0);
    ASSERT_GT(SendMessageW(page, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    RSSItem next;
    next.title = u"Next";
    control.ShowItem(next);
    EXPECT_EQ(pageText(), L"Next\rOriginal article link");
    EXPECT_EQ(SendMessageW(page, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    control.ShowItem(longItem);
    EXPECT_EQ(SendMessageW(page, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_TRUE(SendMessageW(page, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
}

}  // namespace
}  // namespace corvane
