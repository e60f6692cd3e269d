// The folder menu's "Import feeds...", "Update all feeds" and "Export feeds..." driven as the shell
// drives them (Wine loads no folder menu handlers itself), the common dialogs answered by the test.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "folder/FolderImpl.h"
#include "folder/NewsFolder.h"
#include "platform/ComApartment.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "support/DropDataObject.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"
#include "support/WindowWatcher.h"

namespace corvane {
namespace {

using corvane::testing::DropDataObject;
using corvane::testing::TempFolder;
using corvane::testing::WindowWatcher;

constexpr UINT kImportFeeds = 3;
constexpr UINT kExportFeeds = 4;
constexpr UINT kUpdateAllFeeds = 5;
// The file name box of the common Open and Save dialogs.
constexpr int kFileNameBox = 0x47c;

std::wstring reported;
void recordReport(const std::wstring& text) {
    reported = text;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '&' ? std::string("&amp;") : std::string(1, c);
    return out;
}

class FolderFeedsMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(CFolderImpl::CreateInstance(nullptr, IID_IShellExtInit, handler.putVoid()), S_OK);
        menu = handler.as<IContextMenu>(IID_IContextMenu);
        CFolderImpl::SetFeedsReport(&recordReport);
        reported.clear();
    }
    void TearDown() override { CFolderImpl::SetFeedsReport(nullptr); }

    void invokeOn(const std::filesystem::path& folder, UINT command) {
        ComPtr<IDataObject> data(new DropDataObject({folder.wstring()}));
        ASSERT_EQ(handler->Initialize(nullptr, data.get(), nullptr), S_OK);
        HMENU shellMenu = CreatePopupMenu();
        menu->QueryContextMenu(shellMenu, 0, 100, 150, CMF_NORMAL);
        DestroyMenu(shellMenu);
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof(info);
        info.lpVerb = MAKEINTRESOURCEA(command);
        EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    }

    // Answers the dialog captioned `caption` with the file name, as a user typing it and pressing OK.
    static std::function<void(HWND)> chooseFile(const std::wstring& file) {
        return [file](HWND dialog) {
            SetDlgItemTextW(dialog, kFileNameBox, file.c_str());
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        };
    }

    ComApartment apartment;
    ComPtr<IShellExtInit> handler;
    ComPtr<IContextMenu> menu;
    TempFolder scratch;
    TempFolder target;
};

TEST_F(FolderFeedsMenu, ImportUpdateAllAndExportThroughTheMenu) {
    const std::string one = toUtf8(testing::serverUrl("/feed?items=2"));
    const std::string two = toUtf8(testing::serverUrl("/feed?items=3&first=10"));
    scratch.write("subs.opml",
                  "<?xml version=\"1.0\"?><opml version=\"2.0\"><head/><body><outline text=\"News\">"
                  "<outline text=\"One\" xmlUrl=\"" +
                      escaped(one) + "\"/><outline text=\"Two\" xmlUrl=\"" + escaped(two) +
                      "\"/></outline></body></opml>");
    {
        WindowWatcher watcher(L"Import feeds", chooseFile(scratch.path().wstring() + L"\\subs.opml"));
        invokeOn(target.path(), kImportFeeds);
        EXPECT_TRUE(watcher.acted());
    }
    EXPECT_EQ(reported, L"Made 2 news folders, kept 0, skipped 0.");
    EXPECT_TRUE(folder::isNewsFolder((target.path() / "News" / "One").u16string()));
    EXPECT_TRUE(folder::isNewsFolder((target.path() / "News" / "Two").u16string()));

    reported.clear();
    invokeOn(target.path(), kUpdateAllFeeds);
    EXPECT_EQ(reported, L"Updated 2 of 2 feeds: 5 new messages.");
    EXPECT_TRUE(std::filesystem::exists(target.path() / "News" / "Two" / "rssitems.xml"));

    reported.clear();
    {
        WindowWatcher watcher(L"Export feeds", chooseFile(scratch.path().wstring() + L"\\out.opml"));
        invokeOn(target.path(), kExportFeeds);
        EXPECT_TRUE(watcher.acted());
    }
    EXPECT_EQ(reported, L"Exported 2 feeds to " + scratch.path().wstring() + L"\\out.opml");
    std::string exported = scratch.read("out.opml");
    EXPECT_NE(exported.find("<outline text=\"News\""), std::string::npos) << exported;
    EXPECT_NE(exported.find(escaped(two)), std::string::npos) << exported;
}

TEST_F(FolderFeedsMenu, ACancelledDialogChangesNothing) {
    {
        WindowWatcher watcher(L"Import feeds",
                              [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        invokeOn(target.path(), kImportFeeds);
        EXPECT_TRUE(watcher.acted());
    }
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(std::filesystem::is_empty(target.path()));
}

TEST_F(FolderFeedsMenu, UpdateAllNamesTheFeedsThatFailed) {
    std::filesystem::create_directories(target.path() / "Gone");
    ASSERT_EQ(folder::createNewsFolder((target.path() / "Gone").u16string()).status,
              folder::FolderStatus::Done);
    invokeOn(target.path(), kUpdateAllFeeds);
    EXPECT_EQ(reported, L"Updated 0 of 1 feeds: 0 new messages.\n\nFailed:\nGone: no feed URL yet");
}

}  // namespace
}  // namespace corvane
