// The news view made by a real folder object, hosted in a window of the tests' own with a browser
// of their own; the list is driven with the notifications its control sends.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <richedit.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "folder/FolderImpl.h"
#include "folder/NewsFolder.h"
#include "itempage/RichTextPage.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "platform/Win32Text.h"
#include "resources/ResourceIds.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"
#include "support/WindowSearch.h"
#include "support/WindowWatcher.h"
#include "view/NewsShellViewImpl.h"
#include "view/ViewPrompts.h"
#include "view/ViewStateRecord.h"
#include "win/TestBrowser.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::TempFolder;
using testing::TestBrowser;

// What the view asked of the user, and how the test answers.
struct Prompts {
    static inline std::vector<std::wstring> boxes;
    static inline int answer = IDYES;
    static inline int optionsShown = 0;
    static inline std::u16string urlFromOptions;
    static inline std::vector<std::u16string> opened;
    static inline std::function<UINT(HMENU)> chooseFromMenu;
    // Runs inside every box and menu before it is answered, as the box's own message loop would.
    static inline std::function<void()> whileOpen;

    static void install() {
        whileOpen = nullptr;
        boxes.clear();
        answer = IDYES;
        optionsShown = 0;
        urlFromOptions.clear();
        opened.clear();
        chooseFromMenu = nullptr;
        SetViewPrompts({[](RSSObject& feed) {
                            ++optionsShown;
                            if (whileOpen) whileOpen();
                            if (!urlFromOptions.empty()) feed.url = urlFromOptions;
                        },
                        [] {
                            if (whileOpen) whileOpen();
                        },
                        [](HWND, const wchar_t* text, const wchar_t* caption, UINT) {
                            boxes.push_back(std::wstring(caption) + L"|" + text);
                            if (whileOpen) whileOpen();
                            return answer;
                        },
                        [](std::u16string_view url) {
                            opened.emplace_back(url);
                            return true;
                        },
                        [](HMENU menu, HWND, POINT) {
                            if (whileOpen) whileOpen();
                            return chooseFromMenu ? chooseFromMenu(menu) : 0u;
                        }});
    }
};

std::string items(int count, int firstLabel = 0) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>\n";
    for (int n = 0; n < count; ++n)
        text += "<item><title>Message " + std::to_string(n) + "</title><link>http://127.0.0.1/" +
                std::to_string(n) + "</link><guid>g" + std::to_string(n) +
                "</guid><pubDate>Tue, 10 Jun 2003 0" + std::to_string(n % 10) +
                ":00:00 GMT</pubDate><corvane_label>" + std::to_string((firstLabel + n) % 6) +
                "</corvane_label></item>\n";
    return text + "</channel></rss>\n";
}

std::string settings(const std::u16string& url, const std::string& params = "") {
    std::string escaped;
    for (char c : toUtf8(url))
        escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<corvane version=\"1.0\"><title>Test "
           "channel</title><url>" +
           escaped + "</url>" + params + "</corvane>";
}

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeFrame() {
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = &frameProcedure;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.lpszClassName = L"CorvaneTestFrame";
    RegisterClassW(&frameClass);
    return CreateWindowW(L"CorvaneTestFrame", L"News", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 600,
                         nullptr, nullptr, frameClass.hInstance, nullptr);
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 15s) {
    auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

class NewsView : public ::testing::Test {
  protected:
    void SetUp() override {
        Prompts::install();
        RSSDatabase::sortColumn = kColumnNone;
        RSSDatabase::sortAscending = false;
        ASSERT_EQ(folder::createNewsFolder(directory.path().u16string()).status, folder::FolderStatus::Done);
        frame = makeFrame();
        ASSERT_NE(frame, nullptr);
        browser.setWindow(frame);
    }
    void TearDown() override {
        close();
        DestroyWindow(frame);
        pump();
        SetViewPrompts({});
    }

    // Opens the folder as the file manager does and waits until its stored messages are listed;
    // `duringLoad` runs before any message of the initial load is handled.
    void open(size_t expectedRows, const std::function<void()>& duringLoad = nullptr) {
        ASSERT_EQ(CFolderImpl::CreateInstance(nullptr, IID_IShellFolder, folder.putVoid()), S_OK);
        PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(directory.path().wstring().c_str());
        ASSERT_EQ(folder.as<IPersistFolder>(IID_IPersistFolder)->Initialize(pidl), S_OK);
        ILFree(pidl);
        ASSERT_EQ(folder->CreateViewObject(frame, IID_IShellView, view.putVoid()), S_OK);
        FOLDERSETTINGS settings{FVM_DETAILS, 0};
        RECT area{0, 0, 880, 560};
        ASSERT_EQ(view->CreateViewWindow(nullptr, &settings, &browser, &area, &viewWindow), S_OK);
        ASSERT_NE(viewWindow, nullptr);
        HWND splitter = nullptr;
        view->GetWindow(&splitter);
        list = FindWindowExW(splitter, nullptr, WC_LISTVIEWW, nullptr);
        ASSERT_NE(list, nullptr);
        if (duringLoad) duringLoad();
        ASSERT_TRUE(pumpUntil([&] { return rows() == expectedRows && feed().itemsLoaded; }))
            << rows() << " rows";
    }
    void close() {
        if (view) {
            view->DestroyViewWindow();
            view.reset();
        }
        folder.reset();
        pump();
    }

    RSSObject& feed() { return *static_cast<CFolderImpl*>(folder.get())->GetRSSObject(); }
    size_t rows() const { return static_cast<size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
    HWND header() const { return ListView_GetHeader(list); }

    LRESULT notify(NMHDR& header) {
        header.hwndFrom = header.hwndFrom ? header.hwndFrom : list;
        return SendMessageW(viewWindow, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    std::wstring cell(int row, int kind) {
        wchar_t buffer[260] = L"";
        NMLVDISPINFOW info{};
        info.hdr.code = LVN_GETDISPINFOW;
        info.item.mask = LVIF_TEXT;
        info.item.iItem = row;
        info.item.iSubItem = ListView_GetHeader(list) ? columnIndexOf(kind) : kind;
        info.item.pszText = buffer;
        info.item.cchTextMax = 260;
        notify(info.hdr);
        return buffer;
    }
    int columnIndexOf(int kind) {
        HWND h = header();
        int count = static_cast<int>(SendMessageW(h, HDM_GETITEMCOUNT, 0, 0));
        for (int index = 0; index < count; ++index) {
            HDITEMW item{};
            item.mask = HDI_LPARAM;
            SendMessageW(h, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
            if (item.lParam == kind) return index;
        }
        return -1;
    }
    void select(std::initializer_list<int> selected) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        state.state = LVIS_SELECTED;
        for (int row : selected)
            SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
    LRESULT key(WORD virtualKey) {
        NMLVKEYDOWN down{};
        down.hdr.code = LVN_KEYDOWN;
        down.wVKey = virtualKey;
        return notify(down.hdr);
    }
    void clickColumn(int kind) {
        NMLISTVIEW click{};
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = columnIndexOf(kind);
        notify(click.hdr);
    }
    int headerFormat(int kind) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header(), HDM_GETITEMW, columnIndexOf(kind), reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    }
    void rightClick(HWND from) {
        NMHDR click{};
        click.hwndFrom = from;
        click.code = NM_RCLICK;
        notify(click);
    }
    int label(int row) {
        return static_cast<CFolderImpl*>(folder.get())->GetRSSDatabase()->itemAt(row)->label;
    }

    TempFolder directory;
    HWND frame = nullptr;
    TestBrowser browser{nullptr};
    ComPtr<IShellFolder> folder;
    ComPtr<IShellView> view;
    HWND viewWindow = nullptr;
    HWND list = nullptr;
};

TEST_F(NewsView, IsHandedOutByTheFolderWithItsInterfacesAndWindows) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(3));
    open(3);
    for (REFIID riid : {IID_IUnknown, IID_IOleWindow, IID_IShellView, IID_IOleCommandTarget}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(view->QueryInterface(riid, answer.putVoid()), S_OK);
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(view->QueryInterface(IID_IShellFolder, none.putVoid()), E_NOINTERFACE);
    wchar_t className[32] = L"";
    GetClassNameW(viewWindow, className, 32);
    EXPECT_STREQ(className, L"KtCorvane");
    EXPECT_EQ(GetParent(viewWindow), frame);
    HWND splitter = nullptr;
    EXPECT_EQ(view->GetWindow(&splitter), S_OK);
    EXPECT_EQ(GetParent(splitter), viewWindow);
    HWND page = FindWindowExW(splitter, nullptr, L"KtWebHost", nullptr);
    ASSERT_NE(page, nullptr);
    wchar_t pageText[16] = L"";
    GetWindowTextW(page, pageText, 16);
    EXPECT_STREQ(pageText, L"MSHTML:");
    EXPECT_TRUE(GetWindowLongPtrW(page, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongPtrW(list, GWL_STYLE) & LVS_OWNERDATA);
    // Stacked by default: the list above the page.
    RECT listArea, pageArea;
    GetWindowRect(list, &listArea);
    GetWindowRect(page, &pageArea);
    EXPECT_LT(listArea.bottom, pageArea.top);
    EXPECT_EQ(view->TranslateAccelerator(nullptr), E_NOTIMPL);
    FOLDERSETTINGS info{};
    EXPECT_EQ(view->GetCurrentInfo(&info), S_OK);
    EXPECT_EQ(info.ViewMode, static_cast<UINT>(FVM_DETAILS));
}

TEST_F(NewsView, VerticalLayoutPutsListAndPageSideBySide) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed",
                                            "<param name=\"splitterWindow\" value=\"vertical\"/>"));
    open(0);
    HWND splitter = nullptr;
    view->GetWindow(&splitter);
    RECT listArea, pageArea;
    GetWindowRect(list, &listArea);
    GetWindowRect(FindWindowExW(splitter, nullptr, L"KtWebHost", nullptr), &pageArea);
    EXPECT_LT(listArea.right, pageArea.left);
    EXPECT_EQ(listArea.top, pageArea.top);
}

TEST_F(NewsView, CellsShowTheMessagesOrTheNotConfiguredRow) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed",
                                            "<param name=\"formatTime\" value=\"dmy\"/><param "
                                            "name=\"displayTime\" value=\"off\"/>"));
    directory.write("rssitems.xml", items(3));
    open(3);
    EXPECT_EQ(cell(1, kColumnTitle), L"Message 1");
    EXPECT_EQ(cell(1, kColumnLink), L"http://127.0.0.1/1");
    EXPECT_EQ(cell(1, kColumnDate), L"10.06.2003");
    EXPECT_EQ(cell(7, kColumnTitle), L"");  // beyond the collection
    close();

    directory.write("corvane.xml", settings(u""));
    open(1);
    EXPECT_EQ(cell(0, kColumnTitle),
              L"Corvane is not configured. Double-click to proceed with configuration.");
    EXPECT_EQ(cell(0, kColumnDate), L"");
}

TEST_F(NewsView, MenuIsMergedBeforeFileAndEditGoesOnlyWithFocus) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(2));
    open(2);
    auto captions = [&] {
        std::vector<std::wstring> names;
        for (int n = 0; n < GetMenuItemCount(browser.sharedMenu); ++n) {
            wchar_t text[64] = L"";
            GetMenuStringW(browser.sharedMenu, n, text, 64, MF_BYPOSITION);
            names.push_back(text);
        }
        return names;
    };
    EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_NOFOCUS), S_OK);
    EXPECT_EQ(captions(), (std::vector<std::wstring>{L"Cor&vane", L"&File", L"&Edit", L"&View"}));
    HMENU ours = GetSubMenu(browser.sharedMenu, 0);
    EXPECT_EQ(GetMenuItemID(ours, 0), 3003u);
    EXPECT_EQ(GetMenuItemID(ours, 2), 3000u);
    EXPECT_EQ(GetMenuItemID(ours, 3), 3001u);
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [2]");

    EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_FOCUS), S_OK);
    EXPECT_EQ(browser.removeMenusCalls, 1);
    EXPECT_EQ(captions(), (std::vector<std::wstring>{L"Cor&vane", L"&File", L"&View"}));

    // Deactivation writes both files.
    std::filesystem::remove(directory.path() / "rssitems.xml");
    EXPECT_EQ(view->UIActivate(SVUIA_DEACTIVATE), S_OK);
    EXPECT_EQ(browser.removeMenusCalls, 2);
    EXPECT_TRUE(directory.exists("rssitems.xml"));
}

TEST_F(NewsView, NotConfiguredFolderShowsItsStatusAndOpensTheOptions) {
    directory.write("corvane.xml", settings(u""));
    open(1);
    view->UIActivate(SVUIA_ACTIVATE_FOCUS);
    EXPECT_EQ(browser.statusTexts.back(), L"Corvane is not configured");
    // The options give a URL: an update starts at once and its messages arrive.
    Prompts::urlFromOptions = testing::serverUrl("/feed?items=4");
    NMITEMACTIVATE activate{};
    activate.hdr.code = LVN_ITEMACTIVATE;
    activate.iItem = 0;
    notify(activate.hdr);
    EXPECT_EQ(Prompts::optionsShown, 1);
    ASSERT_TRUE(pumpUntil([&] { return rows() == 4; }));
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test feed [4, 4 unread]");
    EXPECT_NE(directory.read("rssitems.xml").find("Message 3"), std::string::npos);
}

TEST_F(NewsView, SettingsCommandStartsAnUpdateOnlyWhenItMadeTheFeedConfigured) {
    directory.write("corvane.xml", settings(testing::serverUrl("/feed?items=2")));
    open(0);
    SendMessageW(viewWindow, WM_COMMAND, 3000, 0);
    EXPECT_EQ(Prompts::optionsShown, 1);
    pumpUntil([] { return false; }, 300ms);
    EXPECT_EQ(rows(), 0u);
}

TEST_F(NewsView, TheRealOptionsSheetGivingAUrlStartsAnUpdate) {
    directory.write("corvane.xml", settings(u""));
    open(1);
    SetViewPrompts({});
    std::wstring url = toWide(testing::serverUrl("/feed?items=2"));
    testing::WindowWatcher watcher(L"Options", [&](HWND sheet) {
        SetDlgItemTextW(PropSheet_GetCurrentPageHwnd(sheet), IDC_FEED_URL, url.c_str());
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    SendMessageW(viewWindow, WM_COMMAND, 3000, 0);
    EXPECT_TRUE(watcher.acted());
    EXPECT_EQ(feed().url, fromWide(url));
    ASSERT_TRUE(pumpUntil([&] { return rows() == 2; }));
    EXPECT_EQ(cell(1, kColumnTitle), L"Message 1");
}

TEST_F(NewsView, HeaderClicksSortAndShowTheArrow) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(3));
    open(3);
    clickColumn(kColumnDate);
    EXPECT_EQ(headerFormat(kColumnDate), HDF_SORTUP);
    EXPECT_EQ(cell(0, kColumnTitle), L"Message 0");
    clickColumn(kColumnDate);
    EXPECT_EQ(headerFormat(kColumnDate), HDF_SORTDOWN);
    EXPECT_EQ(cell(0, kColumnTitle), L"Message 2");
    clickColumn(kColumnTitle);
    EXPECT_EQ(headerFormat(kColumnDate), 0);
    EXPECT_EQ(headerFormat(kColumnTitle), HDF_SORTUP);
    EXPECT_EQ(RSSDatabase::sortColumn, kColumnTitle);
}

TEST_F(NewsView, LabelKeysAndCommandsLabelTheSelection) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(3));
    open(3);
    select({0, 2});
    EXPECT_EQ(key('3'), 1);
    EXPECT_EQ(label(0), 3);
    EXPECT_EQ(label(1), 1);
    EXPECT_EQ(label(2), 3);
    EXPECT_EQ(key('7'), 0);
    EXPECT_EQ(label(0), 3);
    SendMessageW(viewWindow, WM_COMMAND, 1229, 0);
    EXPECT_EQ(label(2), 5);
}

TEST_F(NewsView, CustomDrawColoursLabelsAndReusesOneBoldFont) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(6));  // labels 0 to 5
    open(6);
    HDC dc = GetDC(list);
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.hdc = dc;
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(notify(draw.nmcd.hdr), CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT);
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    const COLORREF expected[] = {RGB(1, 2, 3), RGB(104, 23, 13), RGB(20, 97, 37), RGB(104, 90, 13),
                                 RGB(35, 20, 97)};
    for (int row = 0; row < 5; ++row) {
        draw.nmcd.dwItemSpec = row;
        draw.clrText = RGB(1, 2, 3);
        EXPECT_EQ(notify(draw.nmcd.hdr), CDRF_NEWFONT);
        EXPECT_EQ(draw.clrText, expected[row]) << row;
    }
    HGDIOBJ original = GetCurrentObject(dc, OBJ_FONT);
    draw.nmcd.dwItemSpec = 5;
    notify(draw.nmcd.hdr);
    HGDIOBJ bold = GetCurrentObject(dc, OBJ_FONT);
    LOGFONTW description{};
    ASSERT_TRUE(GetObjectW(bold, sizeof(description), &description));
    EXPECT_EQ(description.lfWeight, FW_BOLD);
    for (int n = 0; n < 5000; ++n) {
        SelectObject(dc, original);
        notify(draw.nmcd.hdr);
        ASSERT_EQ(GetCurrentObject(dc, OBJ_FONT), bold);
    }
    SelectObject(dc, original);
    draw.nmcd.dwItemSpec = 99;
    EXPECT_EQ(notify(draw.nmcd.hdr), CDRF_DODEFAULT);
    ReleaseDC(list, dc);
}

TEST_F(NewsView, DeletingAsksAndReselects) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(5));
    open(5);
    select({});
    EXPECT_EQ(key(VK_DELETE), 1);
    EXPECT_TRUE(Prompts::boxes.empty());  // nothing selected: no question

    select({1});
    Prompts::answer = IDNO;
    key(VK_DELETE);
    ASSERT_EQ(Prompts::boxes.size(), 1u);
    EXPECT_EQ(Prompts::boxes[0],
              L"Corvane|Are you sure you wish to permanently delete the selected message(s)?");
    EXPECT_EQ(rows(), 5u);

    Prompts::answer = IDYES;
    select({1, 2});
    SendMessageW(viewWindow, WM_COMMAND, 1324, 0);
    EXPECT_EQ(rows(), 3u);
    EXPECT_EQ(cell(1, kColumnTitle), L"Message 3");
    // The current row (the last one selected) is selected again.
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);

    feed().setParam(u"dontShowDeleteConfirm", u"on");
    select({2});
    key(VK_DELETE);
    EXPECT_EQ(Prompts::boxes.size(), 2u);
    EXPECT_EQ(rows(), 2u);
    // The deletion reached the end: the last row is selected.
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
}

// Counts the update results the view's thread takes from its queue, whoever's loop takes them.
struct UpdateDoneWatch {
    static inline int seen = 0;
    HHOOK hook = nullptr;
    UpdateDoneWatch() {
        seen = 0;
        hook = SetWindowsHookExW(
            WH_GETMESSAGE,
            [](int code, WPARAM removal, LPARAM lParam) -> LRESULT {
                auto* message = reinterpret_cast<MSG*>(lParam);
                if (code == HC_ACTION && removal == PM_REMOVE && message->message == WM_FEED_UPDATE_DONE)
                    ++seen;
                return CallNextHookEx(nullptr, code, removal, lParam);
            },
            nullptr, GetCurrentThreadId());
    }
    ~UpdateDoneWatch() { UnhookWindowsHookEx(hook); }
};

TEST_F(NewsView, DeleteRemovesTheChosenMessagesThoughAnUpdateEndsWhileTheBoxAsks) {
    directory.write("corvane.xml", settings(testing::serverUrl("/feed?items=3&first=300")));
    directory.write("rssitems.xml", items(3));  // 00:00 to 02:00; the feed's are 05:00 to 05:02
    RSSDatabase::sortColumn = kColumnDate;
    open(3);
    ASSERT_EQ(cell(0, kColumnTitle), L"Message 2");
    UpdateDoneWatch watch;
    ASSERT_TRUE(watch.hook);
    select({0});
    view->Refresh();
    size_t rowsInsideTheBox = 0;
    Prompts::whileOpen = [&] {
        ASSERT_TRUE(pumpUntil([] { return UpdateDoneWatch::seen > 0; }));
        pump();
        rowsInsideTheBox = rows();
    };
    key(VK_DELETE);
    ASSERT_EQ(Prompts::boxes.size(), 1u);
    EXPECT_EQ(rowsInsideTheBox, 3u) << "the update's messages came in while the box asked";
    Prompts::whileOpen = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return rows() == 5; })) << rows();
    std::vector<std::wstring> titles;
    for (int row = 0; row < 5; ++row)
        titles.push_back(cell(row, kColumnTitle));
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"Message 302", L"Message 301", L"Message 300", L"Message 1",
                                                 L"Message 0"}));
    view->UIActivate(SVUIA_DEACTIVATE);
    std::string stored = directory.read("rssitems.xml");
    EXPECT_EQ(stored.find("<title>Message 2</title>"), std::string::npos);
    EXPECT_NE(stored.find("<title>Message 302</title>"), std::string::npos);
}

TEST_F(NewsView, AnUpdateEndingWhileABoxOrMenuIsOpenIsTakenOverAfterItCloses) {
    struct Case {
        const char* box;
        std::function<void()> show;
    };
    const Case cases[] = {
        {"options", [this] { SendMessageW(viewWindow, WM_COMMAND, ID_VIEW_SETTINGS, 0); }},
        {"about", [this] { SendMessageW(viewWindow, WM_COMMAND, ID_VIEW_ABOUT, 0); }},
        {"list menu", [this] { rightClick(list); }},
        {"header menu", [this] { rightClick(header()); }},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.box);
        directory.write("corvane.xml", settings(testing::serverUrl("/feed?items=3&first=300")));
        directory.write("rssitems.xml", items(3));
        RSSDatabase::sortColumn = kColumnDate;
        open(3);
        UpdateDoneWatch watch;
        select({1});
        // Label 4 from the list's menu (the one with Delete); nothing from the header's.
        Prompts::chooseFromMenu = [](HMENU menu) {
            return GetMenuState(menu, 1324, MF_BYCOMMAND) == static_cast<UINT>(-1) ? 0u : 1228u;
        };
        view->Refresh();
        size_t rowsInside = 0;
        Prompts::whileOpen = [&] {
            ASSERT_TRUE(pumpUntil([] { return UpdateDoneWatch::seen > 0; }));
            pump();
            rowsInside = rows();
        };
        each.show();
        Prompts::whileOpen = nullptr;
        EXPECT_EQ(rowsInside, 3u);
        ASSERT_TRUE(pumpUntil([&] { return rows() == 6; })) << rows();
        // The selection stays on its message, now three rows further down.
        EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 4);
        if (std::string(each.box) == "list menu") {
            EXPECT_EQ(cell(4, kColumnTitle), L"Message 1");
            EXPECT_EQ(label(4), 4);
            EXPECT_EQ(label(1), 0);
        }
        close();
        std::filesystem::remove(directory.path() / "rssitems.xml");
    }
}

// The host may let the view go (destroy its window and release it) inside a box's message loop;
// the view then acts on nothing it asked about and touches nothing freed.
TEST_F(NewsView, AViewLetGoWhileItsBoxIsOpenActsOnNothingAfterwards) {
    struct Case {
        const char* box;
        std::function<void()> show;
    };
    const Case cases[] = {
        {"delete question", [this] { key(VK_DELETE); }},
        {"list menu, delete",
         [this] {
             Prompts::chooseFromMenu = [](HMENU) { return 1324u; };
             rightClick(list);
         }},
        {"list menu, label",
         [this] {
             Prompts::chooseFromMenu = [](HMENU) { return 1228u; };
             rightClick(list);
         }},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.box);
        Prompts::install();
        directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
        directory.write("rssitems.xml", items(3));
        open(3);
        select({1});
        const int labelBefore = label(1);
        Prompts::whileOpen = [this] {
            view->DestroyViewWindow();
            view.reset();
        };
        each.show();
        Prompts::whileOpen = nullptr;
        EXPECT_FALSE(IsWindow(viewWindow));
        EXPECT_EQ(feed().items.size(), 3u);
        EXPECT_EQ(label(1), labelBefore);
        close();
    }
}

TEST_F(NewsView, ListMenuGreysWithoutSelectionAndLabelsWithOne) {
    directory.write("corvane.xml",
                    settings(u"http://127.0.0.1/feed", "<param name=\"label2Title\" value=\"Urgent\"/>"));
    directory.write("rssitems.xml", items(3));
    open(3);
    select({});
    UINT labelState = 0, deleteState = 0;
    std::wstring secondLabel;
    Prompts::chooseFromMenu = [&](HMENU menu) {
        labelState = GetMenuState(menu, 0, MF_BYPOSITION);
        deleteState = GetMenuState(menu, 1324, MF_BYCOMMAND);
        wchar_t text[64] = L"";
        GetMenuStringW(GetSubMenu(menu, 0), 1226, text, 64, MF_BYCOMMAND);
        secondLabel = text;
        return 1225u;
    };
    rightClick(list);
    EXPECT_TRUE(labelState & MF_GRAYED);
    EXPECT_TRUE(deleteState & MF_GRAYED);
    EXPECT_EQ(secondLabel, L"Urgent");
    select({1});
    rightClick(list);
    EXPECT_FALSE(labelState & MF_GRAYED);
    EXPECT_FALSE(deleteState & MF_GRAYED);
    EXPECT_EQ(label(1), 1);
}

TEST_F(NewsView, HeaderMenuHidesAndShowsColumnsButNeverTitle) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    open(0);
    std::vector<UINT> ids;
    UINT linkState = 0;
    Prompts::chooseFromMenu = [&](HMENU menu) {
        ids.clear();
        for (int n = 0; n < GetMenuItemCount(menu); ++n)
            ids.push_back(GetMenuItemID(menu, n));
        linkState = GetMenuState(menu, 1126, MF_BYCOMMAND);
        return 1126u;
    };
    rightClick(header());
    EXPECT_EQ(ids, (std::vector<UINT>{1125, 1126, 1127}));
    EXPECT_TRUE(linkState & MF_CHECKED);
    EXPECT_EQ(columnIndexOf(kColumnLink), -1);
    EXPECT_EQ(columnIndexOf(kColumnDate), 2);
    rightClick(header());
    EXPECT_FALSE(linkState & MF_CHECKED);
    EXPECT_EQ(columnIndexOf(kColumnLink), 2);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0), 72);
    SendMessageW(viewWindow, WM_COMMAND, 1124, 0);  // Title stays
    SendMessageW(viewWindow, WM_COMMAND, 1129, 0);  // no such column
    EXPECT_EQ(SendMessageW(header(), HDM_GETITEMCOUNT, 0, 0), 4);
}

TEST_F(NewsView, LayoutIsStoredAndRestoredByteForByte) {
    directory.write("corvane.xml",
                    settings(u"http://127.0.0.1/feed", "<param name=\"rememberPosition\" value=\"on\"/>"));
    directory.write("rssitems.xml", items(4));
    open(4);
    // No stored state: defaults.
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 400);
    // The Date column fits a bold date, so it may be wider than its 118 pixels.
    const int dateWidth = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 3, 0));
    EXPECT_GE(dateWidth, 118);
    SendMessageW(viewWindow, WM_COMMAND, 1126, 0);  // hide Link
    int order[] = {2, 0, 1};                        // Date leftmost
    SendMessageW(list, LVM_SETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
    clickColumn(kColumnDate);
    clickColumn(kColumnDate);
    select({2});
    NMLISTVIEW change{};
    change.hdr.code = LVN_ITEMCHANGED;
    change.iItem = 2;
    notify(change.hdr);
    EXPECT_EQ(view->SaveViewState(), S_OK);
    auto bytes = browser.storedBytes();
    ASSERT_EQ(bytes.size(), 64u);
    auto record = viewstate::decode(bytes);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->widths, (std::array<int32_t, 4>{400, 72, 72, dateWidth}));
    EXPECT_EQ(record->positions, (std::array<int32_t, 4>{1, 2, -1, 0}));
    EXPECT_EQ(record->visible, (std::array<int32_t, 4>{1, 1, 0, 1}));
    EXPECT_EQ(record->rememberedRow, 2);
    EXPECT_EQ(record->savedSortColumn, kColumnDate);
    EXPECT_EQ(record->savedSortAscending, 0);
    EXPECT_GT(record->splitterPosition, 0);
    close();

    RSSDatabase::sortColumn = kColumnNone;
    open(4);
    EXPECT_EQ(columnIndexOf(kColumnLink), -1);
    int restored[3] = {};
    SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(restored));
    EXPECT_EQ(restored[0], columnIndexOf(kColumnDate));
    EXPECT_EQ(restored[1], columnIndexOf(kColumnTitle));
    EXPECT_EQ(headerFormat(kColumnDate), HDF_SORTDOWN);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
}

TEST_F(NewsView, DamagedOrMissingRecordsChangeNothingButTheSplitter) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    viewstate::Record record;
    record.positions = {0, 0, 0, 0};
    record.visible = {1, 1, 1, 1};
    record.splitterPosition = -1;
    auto bytes = viewstate::encode(record);
    CreateStreamOnHGlobal(nullptr, TRUE, browser.stored.put());
    browser.stored->Write(bytes.data(), 64, nullptr);
    open(0);
    int order[4] = {};
    SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order));
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{0, 1, 2, 3}));
    close();

    browser.refuseStream = true;
    open(0);
    EXPECT_EQ(view->SaveViewState(), S_OK);
}

TEST_F(NewsView, RefreshCommandIsExplorersOnly) {
    directory.write("corvane.xml", settings(testing::serverUrl("/feed?items=2")));
    open(0);
    auto target = view.as<IOleCommandTarget>(IID_IOleCommandTarget);
    OLECMD commands[2] = {{OLECMDID_REFRESH, 0}, {OLECMDID_PRINT, 7}};
    EXPECT_EQ(target->QueryStatus(nullptr, 2, commands, nullptr), S_OK);
    EXPECT_EQ(commands[0].cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    EXPECT_EQ(commands[1].cmdf, 7u);
    EXPECT_EQ(target->QueryStatus(nullptr, 1, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(target->QueryStatus(&CGID_Explorer, 1, commands, nullptr), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(target->Exec(&CGID_Explorer, OLECMDID_REFRESH, 0, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(target->Exec(nullptr, OLECMDID_REFRESH, 0, nullptr, nullptr), S_OK);
    ASSERT_TRUE(pumpUntil([&] { return rows() == 2; }));
}

TEST_F(NewsView, UpdateCommandMergesAndSavesTheStore) {
    directory.write("corvane.xml", settings(testing::serverUrl("/feed?items=3")));
    directory.write("rssitems.xml", items(1));
    open(1);
    SendMessageW(viewWindow, WM_COMMAND, 3003, 0);
    SendMessageW(viewWindow, WM_COMMAND, 3003, 0);  // ignored while the first runs
    ASSERT_TRUE(pumpUntil([&] { return rows() == 4; }));
    EXPECT_EQ(cell(3, kColumnTitle), L"Message 2");
    EXPECT_NE(directory.read("rssitems.xml").find("Message 2"), std::string::npos);
    EXPECT_TRUE(Prompts::boxes.empty());
    // Refreshed again: nothing new, nothing twice.
    view->Refresh();
    pumpUntil([] { return false; }, 1s);
    EXPECT_EQ(rows(), 4u);
}

TEST_F(NewsView, RefreshDuringTheInitialLoadRunsOnceTheStoredMessagesAreIn) {
    directory.write("corvane.xml", settings(testing::serverUrl("/feed?items=3")));
    directory.write("rssitems.xml", items(2));
    open(5, [&] {
        view->Refresh();
        view->Refresh();
    });
    // Stored messages first, then the new ones, each once.
    EXPECT_EQ(cell(0, kColumnTitle), L"Message 0");
    EXPECT_EQ(cell(1, kColumnTitle), L"Message 1");
    EXPECT_EQ(cell(2, kColumnTitle), L"Message 0");
    EXPECT_EQ(feed().items[2]->guid, u"message-0");
    pumpUntil([] { return false; }, 500ms);
    EXPECT_EQ(rows(), 5u);
}

TEST_F(NewsView, FailedUpdatesShowTheirBoxWithTheUrl) {
    std::u16string notRss = testing::serverUrl("/body?size=100");
    directory.write("corvane.xml", settings(notRss));
    directory.write("rssitems.xml", items(2));
    open(2);
    view->Refresh();
    ASSERT_TRUE(pumpUntil([&] { return !Prompts::boxes.empty(); }));
    EXPECT_EQ(Prompts::boxes[0], L"Update failed|Requested url is not valid RSS XML: " +
                                     std::wstring(notRss.begin(), notRss.end()));
    EXPECT_EQ(rows(), 2u);

    std::u16string refused = testing::refusedUrl();
    feed().url = refused;
    view->Refresh();
    ASSERT_TRUE(pumpUntil([&] { return Prompts::boxes.size() == 2; }));
    EXPECT_EQ(Prompts::boxes[1],
              L"Update failed|Unable to download RSS feed: " + std::wstring(refused.begin(), refused.end()));

    feed().url = refused + u"?" + std::u16string(2100, u'a');
    view->Refresh();
    ASSERT_TRUE(pumpUntil([&] { return Prompts::boxes.size() == 3; }));
    EXPECT_EQ(Prompts::boxes[2], L"Update failed|Unable to download RSS feed");
}

// The shell's progress window of this test, found by its title.
HWND progressWindow() {
    return testing::visibleTopWindow(GetCurrentProcessId(), [](HWND window) {
        wchar_t title[64] = L"";
        GetWindowTextW(window, title, 64);
        return std::wstring(title) == L"Updating feed...";
    });
}

TEST_F(NewsView, CancelInTheProgressWindowEndsTheDownloadWithoutABox) {
    directory.write("corvane.xml", settings(testing::serverUrl("/drip?size=3000&interval_ms=5")));
    directory.write("rssitems.xml", items(2));
    open(2);
    std::string before = directory.read("rssitems.xml");
    view->Refresh();
    HWND progress = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (progress = progressWindow()) != nullptr; }));
    HWND cancel = GetDlgItem(progress, IDCANCEL);
    ASSERT_NE(cancel, nullptr);
    // What the button's click hands the dialog, sent straight so that no focus or mouse state of
    // the shared desktop is involved.
    SendMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    auto clicked = Clock::now();
    EXPECT_FALSE(IsWindowEnabled(cancel)) << "the progress window did not take the Cancel";
    ASSERT_TRUE(pumpUntil([&] { return progressWindow() == nullptr; }, 10s));
    EXPECT_LT(Clock::now() - clicked, 5s);  // the whole drip would take 15 s
    EXPECT_TRUE(Prompts::boxes.empty());
    EXPECT_EQ(rows(), 2u);
    EXPECT_EQ(feed().items.size(), 2u);
}

TEST_F(NewsView, CancelWhileNoDataArrivesClosesTheWindowAtOnceAndShowsNoBox) {
    directory.write("corvane.xml", settings(testing::serverUrl("/stall?after=100&seconds=3")));
    directory.write("rssitems.xml", items(2));
    open(2);
    view->Refresh();
    HWND progress = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (progress = progressWindow()) != nullptr; }));
    pumpUntil([] { return false; }, 300ms);
    SendMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(pumpUntil([&] { return progressWindow() == nullptr; }, 2s))
        << "the server sends nothing for 3 s";
    // The server lets go and the download fails; the user asked for nothing more.
    pumpUntil([] { return false; }, 4s);
    EXPECT_TRUE(Prompts::boxes.empty());
    EXPECT_EQ(rows(), 2u);
}

TEST_F(NewsView, ClosingDuringAStalledUpdateReturnsAtOnce) {
    directory.write("corvane.xml", settings(testing::serverUrl("/stall?after=100&seconds=3")));
    open(0);
    view->Refresh();
    pumpUntil([] { return false; }, 500ms);
    auto before = Clock::now();
    close();
    EXPECT_LT(Clock::now() - before, 1s);
    // Whatever the worker does as the server lets go reaches nothing of the freed view.
    pumpUntil([] { return false; }, 3500ms);
    EXPECT_TRUE(Prompts::boxes.empty());
}

TEST_F(NewsView, AHostThatNeverActivatesStillGetsTheChangesSaved) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(3));
    open(3);
    select({0});
    key('4');
    SendMessageW(viewWindow, WM_COMMAND, 1324, 0);
    close();
    std::string stored = directory.read("rssitems.xml");
    EXPECT_EQ(stored.find("Message 0"), std::string::npos);
    EXPECT_NE(stored.find("Message 2"), std::string::npos);
}

TEST_F(NewsView, ActivationOpensOnlyWebLinksWhenAskedTo) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(1));
    open(1);
    NMITEMACTIVATE activate{};
    activate.hdr.code = LVN_ITEMACTIVATE;
    activate.iItem = 0;
    notify(activate.hdr);
    EXPECT_TRUE(Prompts::opened.empty());
    feed().setParam(u"openOnDoubleClick", u"on");
    notify(activate.hdr);
    ASSERT_EQ(Prompts::opened.size(), 1u);
    EXPECT_EQ(Prompts::opened[0], u"http://127.0.0.1/0");
    static_cast<CFolderImpl*>(folder.get())->GetRSSDatabase()->itemAt(0)->link = u"file:///c:/x.html";
    notify(activate.hdr);
    EXPECT_EQ(Prompts::opened.size(), 1u);
}

TEST_F(NewsView, DraggingTheBarMovesThePanesAndTheSplitterPassesNotificationsOn) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    open(0);
    HWND splitter = nullptr;
    view->GetWindow(&splitter);
    HWND page = FindWindowExW(splitter, nullptr, L"KtWebHost", nullptr);
    RECT listArea;
    GetClientRect(list, &listArea);
    int bar = listArea.bottom + 2;  // just below the list: on the bar
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, bar));
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 150));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(100, 150));
    GetClientRect(list, &listArea);
    EXPECT_EQ(listArea.bottom, 150);
    RECT pageArea;
    GetWindowRect(page, &pageArea);
    MapWindowPoints(nullptr, splitter, reinterpret_cast<POINT*>(&pageArea), 2);
    EXPECT_EQ(pageArea.top, 150 + GetSystemMetrics(SM_CYSIZEFRAME) + 5);
    // A drag far past the end stops at the smallest page.
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 152));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(100, 5000));
    RECT client;
    GetClientRect(splitter, &client);
    GetClientRect(list, &listArea);
    EXPECT_EQ(listArea.bottom,
              client.bottom - (GetSystemMetrics(SM_CYSIZEFRAME) + 5) - 5 - 2 * GetSystemMetrics(SM_CYEDGE));
    // The list's notifications reach the view through the splitter.
    wchar_t buffer[64] = L"";
    NMLVDISPINFOW info{};
    info.hdr.hwndFrom = list;
    info.hdr.code = LVN_GETDISPINFOW;
    info.item.mask = LVIF_TEXT;
    info.item.pszText = buffer;
    info.item.cchTextMax = 64;
    feed().url.clear();
    SendMessageW(splitter, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::wstring(buffer).substr(0, 7), L"Corvane");
}

// The text of the page's rich-text view (Wine has no HTML engine).
std::wstring pageText(HWND page) {
    HWND shown = nullptr;
    EnumChildWindows(
        page,
        [](HWND child, LPARAM result) {
            wchar_t name[32] = L"";
            GetClassNameW(child, name, 32);
            if (_wcsnicmp(name, L"RichEdit", 8) == 0) *reinterpret_cast<HWND*>(result) = child;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    if (!shown) return L"";
    GETTEXTLENGTHEX length{GTL_DEFAULT, 1200};
    std::wstring text(
        static_cast<size_t>(SendMessageW(shown, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0)) +
            1,
        L'\0');
    GETTEXTEX get{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    text.resize(static_cast<size_t>(SendMessageW(shown, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                                 reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

TEST_F(NewsView, SelectingARowShowsItsMessageInThePage) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(3));
    open(3);
    HWND splitter = nullptr;
    view->GetWindow(&splitter);
    HWND page = FindWindowExW(splitter, nullptr, L"KtWebHost", nullptr);
    NMLISTVIEW change{};
    change.hdr.code = LVN_ITEMCHANGED;
    change.iItem = 1;
    notify(change.hdr);
    EXPECT_NE(pageText(page).find(L"Message 1"), std::wstring::npos) << pageText(page);
    change.iItem = 9;  // no such row: the page keeps its message
    notify(change.hdr);
    EXPECT_NE(pageText(page).find(L"Message 1"), std::wstring::npos);
}

TEST_F(NewsView, TheNotConfiguredRowCarriesNoMessage) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(3));  // labels 0, 1, 2
    open(3);
    view->UIActivate(SVUIA_ACTIVATE_FOCUS);
    HWND splitter = nullptr;
    view->GetWindow(&splitter);
    HWND page = FindWindowExW(splitter, nullptr, L"KtWebHost", nullptr);
    select({1});
    ASSERT_NE(pageText(page).find(L"Message 1"), std::wstring::npos);

    // The Options clear the URL: one row, the status says so at once, nothing selected or shown.
    Prompts::whileOpen = [&] { feed().url.clear(); };
    SendMessageW(viewWindow, WM_COMMAND, ID_VIEW_SETTINGS, 0);
    Prompts::whileOpen = nullptr;
    EXPECT_EQ(rows(), 1u);
    EXPECT_EQ(browser.statusTexts.back(), L"Corvane is not configured");
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), -1);
    EXPECT_EQ(pageText(page).find(L"Message"), std::wstring::npos) << pageText(page);

    // Chosen, the row shows no page, and labels, the menu and Delete act on nothing.
    select({0});
    NMLISTVIEW change{};
    change.hdr.code = LVN_ITEMCHANGED;
    change.iItem = 0;
    notify(change.hdr);
    EXPECT_EQ(pageText(page).find(L"Message"), std::wstring::npos) << pageText(page);
    key('5');
    UINT labelState = 0;
    Prompts::chooseFromMenu = [&](HMENU menu) {
        labelState = GetMenuState(menu, 0, MF_BYPOSITION);
        return 1229u;
    };
    rightClick(list);
    EXPECT_TRUE(labelState & MF_GRAYED);
    SendMessageW(viewWindow, WM_COMMAND, 1229, 0);
    key(VK_DELETE);
    SendMessageW(viewWindow, WM_COMMAND, 1324, 0);
    EXPECT_TRUE(Prompts::boxes.empty());
    ASSERT_EQ(feed().items.size(), 3u);
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(feed().items[n]->label, n) << n;

    // A URL again: the messages and the status are back at once, with nothing selected.
    Prompts::urlFromOptions = testing::serverUrl("/feed?items=0");
    SendMessageW(viewWindow, WM_COMMAND, ID_VIEW_SETTINGS, 0);
    EXPECT_EQ(rows(), 3u);
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [3]");
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), -1);
    ASSERT_TRUE(pumpUntil([&] { return browser.statusTexts.back() == L"Title: Test feed [3]"; }));
}

TEST_F(NewsView, ASortKeepsTheSelectedMessagesSelected) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(4));
    open(4);
    select({0, 1});
    NMLISTVIEW change{};
    change.hdr.code = LVN_ITEMCHANGED;
    change.iItem = 1;
    notify(change.hdr);
    clickColumn(kColumnDate);
    clickColumn(kColumnDate);  // newest first: Message 3, 2, 1, 0
    EXPECT_EQ(cell(0, kColumnTitle), L"Message 3");
    std::vector<int> selected;
    for (int row = -1;
         (row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        selected.push_back(row);
    EXPECT_EQ(selected, (std::vector<int>{2, 3}));
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 2);
    key('4');
    EXPECT_EQ(feed().items[0]->label, 4);
    EXPECT_EQ(feed().items[1]->label, 4);
    EXPECT_EQ(feed().items[3]->label, 3);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

// An Atom feed through the DLL's view: its entry is listed, and the page shows the entry's content
// (its links resolved against xml:base) in place of its summary.
TEST_F(NewsView, AtomFeedUpdatesAndThePageShowsItsContent) {
    directory.write("corvane.xml", settings(testing::serverUrl("/file?name=feeds/xml-base-atom.xml")));
    directory.write("rssitems.xml", items(0));
    open(0);
    view->Refresh();
    ASSERT_TRUE(pumpUntil([&] { return rows() == 1; }));
    EXPECT_TRUE(Prompts::boxes.empty());
    EXPECT_EQ(cell(0, kColumnTitle), L"Draft 14 published");
    EXPECT_EQ(feed().items[0]->link, u"http://127.0.0.1/standards/drafts/2026/draft-14.html");
    HWND splitter = nullptr;
    view->GetWindow(&splitter);
    HWND page = FindWindowExW(splitter, nullptr, L"KtWebHost", nullptr);
    NMLISTVIEW change{};
    change.hdr.code = LVN_ITEMCHANGED;
    change.iItem = 0;
    notify(change.hdr);
    const std::wstring text = pageText(page);
    EXPECT_NE(text.find(L"See the changes and the"), std::wstring::npos) << text;
    EXPECT_EQ(text.find(L"The fourteenth draft."), std::wstring::npos) << text;
    EXPECT_NE(directory.read("rssitems.xml").find("<content>&lt;p&gt;See"), std::string::npos);
}

// Read state: the unread mark, marking read on showing, the read commands and keys, the status
// text, and the state saved in the store.
std::string itemsWithUnread(int count, std::initializer_list<int> unread) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>\n";
    for (int n = 0; n < count; ++n) {
        bool isUnread = std::find(unread.begin(), unread.end(), n) != unread.end();
        text += "<item><title>Message " + std::to_string(n) + "</title><guid>g" + std::to_string(n) +
                "</guid><corvane_label>" + std::to_string(n % 6) + "</corvane_label>" +
                (isUnread ? "<corvane_unread>1</corvane_unread>" : "") + "</item>\n";
    }
    return text + "</channel></rss>\n";
}

// Holds Ctrl down in this thread's key state, as GetKeyState reads it, while it lives.
class ControlHeld {
  public:
    ControlHeld() {
        GetKeyboardState(saved_);
        BYTE held[256];
        std::copy(std::begin(saved_), std::end(saved_), held);
        held[VK_CONTROL] = 0x80;
        SetKeyboardState(held);
    }
    ~ControlHeld() { SetKeyboardState(saved_); }

  private:
    BYTE saved_[256]{};
};

class NewsViewReadState : public NewsView {
  protected:
    std::vector<bool> unread() {
        std::vector<bool> flags;
        for (const auto& item : feed().items)
            flags.push_back(item->unread);
        return flags;
    }
    void show(int row) {
        NMLISTVIEW change{};
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = row;
        notify(change.hdr);
    }
    int imageOf(int row) {
        wchar_t buffer[64] = L"";
        NMLVDISPINFOW info{};
        info.hdr.code = LVN_GETDISPINFOW;
        info.item.mask = LVIF_TEXT | LVIF_IMAGE;
        info.item.iItem = row;
        info.item.iImage = -7;
        info.item.pszText = buffer;
        info.item.cchTextMax = 64;
        notify(info.hdr);
        return info.item.iImage;
    }
    // Whether the row's image area shows the dot's blue on screen.
    bool dotDrawn(int row) {
        RECT icon{};
        icon.left = LVIR_ICON;
        SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&icon));
        HDC dc = GetDC(list);
        bool found = false;
        for (int y = icon.top; y < icon.bottom && !found; ++y)
            for (int x = icon.left; x < icon.right && !found; ++x)
                found = GetPixel(dc, x, y) == RGB(0, 120, 215);
        ReleaseDC(list, dc);
        return found;
    }
};

TEST_F(NewsViewReadState, UnreadRowsShowTheDotBeforeTheTitleAndTheStatusCountsThem) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", itemsWithUnread(6, {0, 5}));
    open(6);
    EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_NOFOCUS), S_OK);
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [6, 2 unread]");
    EXPECT_NE(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
    EXPECT_EQ(imageOf(0), 0);
    EXPECT_EQ(imageOf(1), 1);
    EXPECT_EQ(imageOf(5), 0);  // label 5, bold: the dot as well
    EXPECT_EQ(cell(0, 0), L"Message 0");
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(dotDrawn(0));
    EXPECT_FALSE(dotDrawn(1));
    EXPECT_TRUE(dotDrawn(5));
}

TEST_F(NewsViewReadState, AShownMessageBecomesReadAfterTheDelayOneArrowedPastStaysUnread) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", itemsWithUnread(3, {0, 1, 2}));
    open(3);
    EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_NOFOCUS), S_OK);
    auto started = Clock::now();
    show(0);
    show(1);  // before any timer could fire: row 0 was only passed
    EXPECT_EQ(unread(), (std::vector<bool>{true, true, true}));
    ASSERT_TRUE(pumpUntil([&] { return !feed().items[1]->unread; }));
    EXPECT_GE(Clock::now() - started, 900ms);
    EXPECT_EQ(unread(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [3, 2 unread]");
    EXPECT_EQ(imageOf(1), 1);
}

TEST_F(NewsViewReadState, CommandsAndKeysMarkTheSelectionAndEverything) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", itemsWithUnread(4, {0, 1, 2, 3}));
    open(4);
    EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_NOFOCUS), S_OK);
    HMENU ours = GetSubMenu(browser.sharedMenu, 0);
    std::vector<std::wstring> texts;
    for (UINT id : {3004u, 3005u, 3006u}) {
        wchar_t text[64] = L"";
        GetMenuStringW(ours, id, text, 64, MF_BYCOMMAND);
        texts.push_back(text);
    }
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Mark as read", L"Mark as unread", L"Mark all as read"}));

    select({0, 2});
    SendMessageW(viewWindow, WM_COMMAND, 3004, 0);
    EXPECT_EQ(unread(), (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [4, 2 unread]");
    {
        ControlHeld control;
        select({0});
        MSG ctrlU{list, WM_KEYDOWN, 'U', 0, 0, {}};
        EXPECT_EQ(view->TranslateAccelerator(&ctrlU), S_OK);
        EXPECT_EQ(unread(), (std::vector<bool>{true, true, false, true}));
        select({1, 3});
        EXPECT_EQ(key('Q'), 1);  // a host that routes no keys: the list's own key-down
        EXPECT_EQ(unread(), (std::vector<bool>{true, false, false, false}));
    }
    MSG plainQ{list, WM_KEYDOWN, 'Q', 0, 0, {}};
    EXPECT_NE(view->TranslateAccelerator(&plainQ), S_OK);

    UINT markRead = 0, markAll = 0;
    Prompts::chooseFromMenu = [&](HMENU menu) {
        markRead = GetMenuState(menu, 3004, MF_BYCOMMAND);
        markAll = GetMenuState(menu, 3006, MF_BYCOMMAND);
        return 3006u;
    };
    select({});
    rightClick(list);
    EXPECT_TRUE(markRead & MF_GRAYED);
    EXPECT_FALSE(markAll & MF_GRAYED);
    EXPECT_EQ(unread(), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [4]");
    rightClick(list);
    EXPECT_TRUE(markAll & MF_GRAYED);
}

TEST_F(NewsViewReadState, ReadStateIsSavedWithTheStoreWhenTheViewCloses) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", itemsWithUnread(3, {0, 2}));
    open(3);
    select({0});
    SendMessageW(viewWindow, WM_COMMAND, 3004, 0);
    select({1});
    SendMessageW(viewWindow, WM_COMMAND, 3005, 0);
    close();
    const std::string stored = directory.read("rssitems.xml");
    auto itemText = [&](int n) {
        size_t start = stored.find("<title>Message " + std::to_string(n) + "</title>");
        return start == std::string::npos ? std::string()
                                          : stored.substr(start, stored.find("</item>", start) - start);
    };
    EXPECT_EQ(itemText(0).find("corvane_unread"), std::string::npos) << stored;
    EXPECT_NE(itemText(1).find("<corvane_unread>1</corvane_unread>"), std::string::npos) << stored;
    EXPECT_NE(itemText(2).find("<corvane_unread>1</corvane_unread>"), std::string::npos) << stored;
}

TEST_F(NewsViewReadState, TheDateColumnFitsABoldDate) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(6));  // row 5 has label 5: bold
    open(6);
    HDC dc = GetDC(list);
    LOGFONTW description{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), sizeof(description),
               &description);
    description.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&description);
    HGDIOBJ old = SelectObject(dc, bold);
    std::wstring date = cell(5, kColumnDate);
    SIZE size{};
    GetTextExtentPoint32W(dc, date.c_str(), static_cast<int>(date.size()), &size);
    SelectObject(dc, old);
    DeleteObject(bold);
    ReleaseDC(list, dc);
    EXPECT_EQ(date, L"2003-06-10 05:00:00");
    EXPECT_GE(SendMessageW(list, LVM_GETCOLUMNWIDTH, columnIndexOf(kColumnDate), 0), size.cx + 12);
}

std::string itemsTitled(std::initializer_list<const char*> titles) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>\n";
    int n = 0;
    for (const char* title : titles) {
        text +=
            "<item><title>" + std::string(title) + "</title><guid>g" + std::to_string(n) + "</guid></item>\n";
        ++n;
    }
    return text + "</channel></rss>\n";
}

class NewsViewFind : public NewsView {
  protected:
    HWND findBar() { return FindWindowExW(viewWindow, nullptr, L"Edit", nullptr); }
    std::vector<int> selectedRows() {
        std::vector<int> selected;
        for (int row = -1; (row = static_cast<int>(SendMessageW(
                                list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
            selected.push_back(row);
        return selected;
    }
    std::vector<std::wstring> titles() {
        std::vector<std::wstring> shown;
        for (int row = 0; row < static_cast<int>(rows()); ++row)
            shown.push_back(cell(row, kColumnTitle));
        return shown;
    }
    RSSItem& stored(int position) { return *feed().items[static_cast<size_t>(position)]; }
};

using Titles = std::vector<std::wstring>;

TEST_F(NewsViewFind, CtrlFFiltersTheRowsAndCommandsActOnTheFilteredMessages) {
    directory.write("corvane.xml",
                    settings(u"http://127.0.0.1/feed", "<param name=\"dontShowDeleteConfirm\">on</param>"));
    directory.write("rssitems.xml", itemsTitled({"Storm on the coast", "Calm sea", "Storm warning",
                                                 "Harbour news", "Stormy week"}));
    open(5);
    EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_NOFOCUS), S_OK);
    wchar_t findText[64] = L"";
    GetMenuStringW(GetSubMenu(browser.sharedMenu, 0), 3007, findText, 64, MF_BYCOMMAND);
    EXPECT_STREQ(findText, L"Find...");
    EXPECT_FALSE(findBar() && IsWindowVisible(findBar()));  // hidden until asked for
    select({1, 3});

    {
        ControlHeld control;
        MSG ctrlF{list, WM_KEYDOWN, 'F', 0, 0, {}};
        EXPECT_EQ(view->TranslateAccelerator(&ctrlF), S_OK);
    }
    HWND bar = findBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(IsWindowVisible(bar));
    RECT barArea{}, listArea{};
    GetWindowRect(bar, &barArea);
    GetWindowRect(list, &listArea);
    EXPECT_LE(barArea.bottom, listArea.top);  // above the list, not over it

    SetWindowTextW(bar, L"STORM");
    EXPECT_EQ(titles(), (Titles{L"Storm on the coast", L"Storm warning", L"Stormy week"}));
    SetWindowTextW(bar, L"storm wa");
    EXPECT_EQ(titles(), (Titles{L"Storm warning"}));
    SetWindowTextW(bar, L"storm");
    ASSERT_EQ(rows(), 3u);

    // Labels, read state and deletion name the filtered row's message, not the collection's row.
    select({1});
    EXPECT_EQ(key('3'), 1);
    EXPECT_EQ(stored(2).label, 3);
    EXPECT_EQ(stored(1).label, 0);
    select({2});
    SendMessageW(viewWindow, WM_COMMAND, 3005, 0);  // Mark as unread
    EXPECT_TRUE(stored(4).unread);
    EXPECT_FALSE(stored(2).unread);
    select({1});
    EXPECT_EQ(key(VK_DELETE), 1);
    EXPECT_EQ(titles(), (Titles{L"Storm on the coast", L"Stormy week"}));
    ASSERT_EQ(feed().items.size(), 4u);

    // A sort keeps the filter.
    clickColumn(kColumnTitle);
    clickColumn(kColumnTitle);
    EXPECT_EQ(titles(), (Titles{L"Stormy week", L"Storm on the coast"}));
    clickColumn(kColumnTitle);

    // Esc gives back the whole list and the messages selected before, wherever they now stand.
    SendMessageW(bar, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_EQ(titles(), (Titles{L"Calm sea", L"Harbour news", L"Storm on the coast", L"Stormy week"}));
    EXPECT_EQ(selectedRows(), (std::vector<int>{0, 1}));
    GetWindowRect(list, &listArea);
    EXPECT_LT(listArea.top, barArea.bottom);  // the list takes the bar's place again
}

TEST_F(NewsViewFind, TheMenuItemOpensTheBarAndEscInTheListClosesIt) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", itemsTitled({"Café crème", "Tea", "Cafe au lait"}));
    open(3);
    select({1});
    SendMessageW(viewWindow, WM_COMMAND, 3007, 0);
    HWND bar = findBar();
    ASSERT_TRUE(bar && IsWindowVisible(bar));
    SetWindowTextW(bar, L"CAFÉ");
    EXPECT_EQ(titles(), (Titles{L"Café crème", L"Cafe au lait"}));
    EXPECT_TRUE(selectedRows().empty());  // "Tea" is filtered out
    SetWindowTextW(bar, L"");
    EXPECT_EQ(rows(), 3u);  // no words: every message
    SetWindowTextW(bar, L"lait");
    EXPECT_EQ(key(VK_ESCAPE), 1);
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_EQ(rows(), 3u);
    EXPECT_EQ(selectedRows(), (std::vector<int>{1}));
}

TEST_F(NewsViewFind, TabMovesBetweenTheBarTheListAndThePage) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", itemsTitled({"One", "Two"}));
    open(2);
    SendMessageW(viewWindow, WM_COMMAND, 3007, 0);
    HWND bar = findBar();
    ASSERT_TRUE(bar && IsWindowVisible(bar));
    ASSERT_EQ(GetFocus(), bar);
    MSG tab{bar, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(view->TranslateAccelerator(&tab), S_OK);
    EXPECT_EQ(GetFocus(), list);
    EXPECT_EQ(key(VK_TAB), 1);  // the list's own key-down: on to the page
    EXPECT_NE(GetFocus(), list);
    EXPECT_NE(GetFocus(), bar);
    {
        // Shift+Tab from the list goes back to the bar.
        BYTE saved[256]{}, held[256]{};
        GetKeyboardState(saved);
        std::copy(std::begin(saved), std::end(saved), held);
        held[VK_SHIFT] = 0x80;
        SetKeyboardState(held);
        SetFocus(list);
        EXPECT_EQ(key(VK_TAB), 1);
        SetKeyboardState(saved);
    }
    EXPECT_EQ(GetFocus(), bar);
}

std::vector<std::u16string> openedFromPage;

bool recordOpened(std::u16string_view url) {
    openedFromPage.emplace_back(url);
    return true;
}

TEST_F(NewsViewFind, TabInThePageWalksItsLinksThenMovesOnAndEnterOpensTheSelectedOne) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(3));
    open(3);
    openedFromPage.clear();
    const CRichTextPage::LinkOpener previous = CRichTextPage::SetLinkOpener(&recordOpened);
    HWND splitter = nullptr;
    view->GetWindow(&splitter);
    HWND host = FindWindowExW(splitter, nullptr, L"KtWebHost", nullptr);
    select({1});
    HWND page = GetWindow(host, GW_CHILD);
    ASSERT_NE(page, nullptr);
    SetFocus(page);
    const auto translate = [&](WPARAM key) {
        MSG message{page, WM_KEYDOWN, key, 0, 0, {}};
        return view->TranslateAccelerator(&message);
    };
    // The message's one link, "Original article link", is selected and opened by the keyboard.
    EXPECT_EQ(translate(VK_TAB), S_OK);
    CHARRANGE selected{};
    SendMessageW(page, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selected));
    EXPECT_EQ(pageText(host).substr(static_cast<size_t>(selected.cpMin),
                                    static_cast<size_t>(selected.cpMax - selected.cpMin)),
              L"Original article link");
    EXPECT_EQ(GetFocus(), page);
    EXPECT_EQ(translate(VK_RETURN), S_OK);
    EXPECT_EQ(openedFromPage, std::vector<std::u16string>{u"http://127.0.0.1/1"});
    // Past the last link the focus goes round to the list.
    EXPECT_EQ(translate(VK_TAB), S_OK);
    EXPECT_EQ(GetFocus(), list);
    SetFocus(page);
    EXPECT_NE(translate(VK_RETURN), S_OK) << "no link selected: Enter is the page's own";
    CRichTextPage::SetLinkOpener(previous);
}

TEST_F(NewsViewFind, AFilterThatHidesTheShownMessageClearsThePageAndTheStatusCountsWhatIsShown) {
    directory.write("corvane.xml", settings(u"http://127.0.0.1/feed"));
    directory.write("rssitems.xml", items(3));
    open(3);
    EXPECT_EQ(view->UIActivate(SVUIA_ACTIVATE_NOFOCUS), S_OK);
    HWND splitter = nullptr;
    view->GetWindow(&splitter);
    HWND page = FindWindowExW(splitter, nullptr, L"KtWebHost", nullptr);
    select({1});
    ASSERT_NE(pageText(page).find(L"Message 1"), std::wstring::npos);
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [3]");

    SendMessageW(viewWindow, WM_COMMAND, 3007, 0);
    HWND bar = findBar();
    ASSERT_TRUE(bar && IsWindowVisible(bar));
    SetWindowTextW(bar, L"message");  // every message still shows: the page keeps its message
    EXPECT_NE(pageText(page).find(L"Message 1"), std::wstring::npos);
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [3 of 3 messages shown]");
    SetWindowTextW(bar, L"message 2");
    EXPECT_EQ(titles(), (Titles{L"Message 2"}));
    EXPECT_EQ(pageText(page).find(L"Message 1"), std::wstring::npos) << pageText(page);
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [1 of 3 messages shown]");
    SetWindowTextW(bar, L"nothing like it");
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [0 of 3 messages shown]");

    // Esc: the whole list, its message in the page again, and today's status.
    SendMessageW(bar, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_NE(pageText(page).find(L"Message 1"), std::wstring::npos);
    EXPECT_EQ(browser.statusTexts.back(), L"Title: Test channel [3]");
}
}  // namespace
}  // namespace corvane
