// The news view's column widths at 150% scaling: run by tests/win/at_dpi.sh in a Wine prefix of its
// own whose LogPixels is 144, so the other tests keep their 96 DPI.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "folder/FolderImpl.h"
#include "folder/NewsFolder.h"
#include "platform/ComPtr.h"
#include "support/TempFolder.h"
#include "view/ColumnSet.h"
#include "win/TestBrowser.h"

namespace corvane {
namespace {

using testing::TempFolder;
using testing::TestBrowser;

// Bold (label 5) messages with the widest dates of the day: two-digit days and hours, late minutes.
std::string boldItems(int count) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>\n";
    for (int n = 0; n < count; ++n)
        text += "<item><title>Message " + std::to_string(n) + "</title><guid>g" + std::to_string(n) +
                "</guid><pubDate>Wed, 2" + std::to_string(n % 10) + " Nov 2026 2" + std::to_string(n % 4) +
                ":58:08 GMT</pubDate><corvane_label>5</corvane_label></item>\n";
    return text + "</channel></rss>\n";
}

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

TEST(NewsViewAt144Dpi, ColumnsScaleAndTheDateColumnFitsTheWidestBoldDate) {
    // What a per-monitor aware host (corvane.exe's manifest) gets: the prefix's DPI, unscaled.
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 144) << "run by at_dpi.sh, in a prefix whose LogPixels is 144";

    TempFolder directory;
    ASSERT_EQ(folder::createNewsFolder(directory.path().u16string()).status, folder::FolderStatus::Done);
    directory.write("corvane.xml",
                    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<corvane version=\"1.0\"><title>Wide</title>"
                    "<url>http://127.0.0.1/feed</url></corvane>");
    constexpr int kCount = 40;
    directory.write("rssitems.xml", boldItems(kCount));

    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = &frameProcedure;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.lpszClassName = L"CorvaneDpiFrame";
    RegisterClassW(&frameClass);
    HWND frame = CreateWindowW(L"CorvaneDpiFrame", L"News", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1200, 700,
                               nullptr, nullptr, frameClass.hInstance, nullptr);
    ASSERT_NE(frame, nullptr);
    TestBrowser browser{frame};
    ComPtr<IShellFolder> shellFolder;
    ASSERT_EQ(CFolderImpl::CreateInstance(nullptr, IID_IShellFolder, shellFolder.putVoid()), S_OK);
    PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(directory.path().wstring().c_str());
    ASSERT_EQ(shellFolder.as<IPersistFolder>(IID_IPersistFolder)->Initialize(pidl), S_OK);
    ILFree(pidl);
    ComPtr<IShellView> view;
    ASSERT_EQ(shellFolder->CreateViewObject(frame, IID_IShellView, view.putVoid()), S_OK);
    FOLDERSETTINGS settings{FVM_DETAILS, 0};
    RECT area{0, 0, 1180, 660};
    HWND viewWindow = nullptr;
    ASSERT_EQ(view->CreateViewWindow(nullptr, &settings, &browser, &area, &viewWindow), S_OK);
    HWND splitter = nullptr;
    view->GetWindow(&splitter);
    HWND list = FindWindowExW(splitter, nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_NE(list, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) != kCount &&
           std::chrono::steady_clock::now() < deadline) {
        pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), kCount);

    // Title, Description and Link: the widths given for 96 DPI, half as wide again.
    for (int kind = 0; kind < 3; ++kind)
        EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, kind, 0),
                  (kColumnKindInfo[kind].initialWidth * 3 + 1) / 2)
            << "column " << kind;
    const int dateWidth = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 3, 0));
    EXPECT_GE(dateWidth, (kColumnKindInfo[3].initialWidth * 3 + 1) / 2);

    // Every date as the list shows it, in the bold font of label 5, with the cell's margins.
    LOGFONTW face{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), sizeof(face), &face);
    face.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&face);
    ASSERT_NE(bold, nullptr);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, bold);
    int widest = 0;
    for (int row = 0; row < kCount; ++row) {
        wchar_t date[64] = L"";
        LVITEMW item{};
        item.iSubItem = 3;
        item.pszText = date;
        item.cchTextMax = 64;
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        ASSERT_NE(date[0], L'\0') << "row " << row;
        SIZE size{};
        GetTextExtentPoint32W(dc, date, lstrlenW(date), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    DeleteObject(bold);
    // The list leaves six pixels each side of a cell's text at 96 DPI.
    EXPECT_GE(dateWidth, widest + 2 * 9) << "widest bold date " << widest << " px";

    view->DestroyViewWindow();
    view.reset();
    shellFolder.reset();
    DestroyWindow(frame);
    pump();
}

}  // namespace
}  // namespace corvane
