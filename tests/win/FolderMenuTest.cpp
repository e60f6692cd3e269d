// The context-menu role of CFolderImpl, driven as the shell drives it: Initialize with a data object,
// QueryContextMenu, InvokeCommand (Wine does not load folder menu handlers itself).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "folder/FolderImpl.h"
#include "folder/NewsFolder.h"
#include "platform/ComApartment.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "support/DropDataObject.h"
#include "support/TempFolder.h"
#include "support/WindowWatcher.h"

namespace corvane {
namespace {

using corvane::testing::DropDataObject;
using corvane::testing::TempFolder;
using corvane::testing::WindowWatcher;

constexpr UINT kFirstCommand = 100;

std::optional<std::wstring> askedQuestion;
bool answer = false;
// What the shell does while the question is up, if anything.
std::function<void()> whileAsking;

bool recordQuestion(const std::wstring& question) {
    askedQuestion = question;
    if (whileAsking) whileAsking();
    return answer;
}

class FolderMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(CFolderImpl::CreateInstance(nullptr, IID_IShellExtInit, handler.putVoid()), S_OK);
        menu = handler.as<IContextMenu>(IID_IContextMenu);
        askedQuestion.reset();
        CFolderImpl::SetRemoveConfirmation(&recordQuestion);
    }
    void TearDown() override {
        CFolderImpl::SetRemoveConfirmation(nullptr);
        whileAsking = nullptr;
    }

    HRESULT select(std::vector<std::wstring> paths,
                   DropDataObject::Answer how = DropDataObject::Answer::Drop) {
        ComPtr<IDataObject> data(new DropDataObject(std::move(paths), how));
        return handler->Initialize(nullptr, data.get(), nullptr);
    }

    // The submenu as QueryContextMenu builds it into a menu of its own.
    struct Entry {
        std::wstring text;
        UINT id;
        bool greyed;
        bool separator;
    };
    // A news folder's menu has three commands; a plain folder's six, with those on its news folders.
    std::vector<Entry> buildMenu(std::wstring* caption = nullptr, USHORT commands = 3) {
        HMENU shellMenu = CreatePopupMenu();
        HRESULT hr = menu->QueryContextMenu(shellMenu, 0, kFirstCommand, kFirstCommand + 50, CMF_NORMAL);
        EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, commands));
        std::vector<Entry> entries;
        HMENU popup = GetSubMenu(shellMenu, 0);
        EXPECT_NE(popup, nullptr);
        if (caption) *caption = textOf(shellMenu, 0);
        for (int i = 0; popup && i < GetMenuItemCount(popup); ++i) {
            UINT state = GetMenuState(popup, i, MF_BYPOSITION);
            entries.push_back({textOf(popup, i), GetMenuItemID(popup, i), (state & MF_GRAYED) != 0,
                               (state & MF_SEPARATOR) != 0});
        }
        DestroyMenu(shellMenu);
        return entries;
    }

    void invoke(UINT command) {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof(info);
        info.lpVerb = MAKEINTRESOURCEA(command);
        EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    }

    static std::wstring textOf(HMENU m, int position) {
        wchar_t text[100] = {};
        GetMenuStringW(m, position, text, 100, MF_BYPOSITION);
        return text;
    }

    ComPtr<IShellExtInit> handler;
    ComPtr<IContextMenu> menu;
};

bool hasSystemMark(const std::filesystem::path& path) {
    DWORD attributes = GetFileAttributesW(path.wstring().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
}

TEST_F(FolderMenu, IsOfferedForOneFolderThatIsNoRoot) {
    TempFolder one, two;
    one.write("file.txt", "x");
    EXPECT_EQ(select({one.path().wstring()}), S_OK);
    EXPECT_EQ(select({one.path().wstring(), two.path().wstring()}), E_FAIL);
    EXPECT_EQ(select({one.path().wstring() + L"\\file.txt"}), E_FAIL);
    EXPECT_EQ(select({L"C:\\"}), E_FAIL);
    EXPECT_EQ(select({}), E_FAIL);
}

TEST_F(FolderMenu, IsNotOfferedWithoutAFileDrop) {
    TempFolder one;
    EXPECT_EQ(select({one.path().wstring()}, DropDataObject::Answer::NoData), E_FAIL);
    // Data in a stream is no drop, even when the data object says it is.
    EXPECT_EQ(select({one.path().wstring()}, DropDataObject::Answer::StreamMedium), E_FAIL);
}

// A name cut at MAX_PATH characters would be read as the folder its first 259 characters name.
TEST_F(FolderMenu, ReadsLongNamesWhole) {
    TempFolder base;
    std::wstring folder = base.path().wstring() + L"\\";
    folder += std::wstring(MAX_PATH - 1 - folder.size(), L'n');
    ASSERT_EQ(folder.size(), MAX_PATH - 1u);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_EQ(select({folder}), S_OK);
    EXPECT_EQ(select({folder + L"-missing"}), E_FAIL);
    RemoveDirectoryW(folder.c_str());
}

TEST_F(FolderMenu, JudgesThePreviousSelectionWithoutADataObject) {
    TempFolder one;
    ASSERT_EQ(select({one.path().wstring()}), S_OK);
    EXPECT_EQ(handler->Initialize(nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(select({L"C:\\"}), E_FAIL);
    EXPECT_EQ(handler->Initialize(nullptr, nullptr, nullptr), E_FAIL);
}

TEST_F(FolderMenu, ShowsCreateForAPlainFolder) {
    TempFolder plain;
    ASSERT_EQ(select({plain.path().wstring()}), S_OK);
    std::wstring caption;
    std::vector<Entry> entries = buildMenu(&caption, 6);
    EXPECT_EQ(caption, L"Cor&vane");
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].text, L"Create");
    EXPECT_EQ(entries[0].id, kFirstCommand);
    EXPECT_FALSE(entries[0].greyed);
    EXPECT_EQ(entries[1].text, L"Remove");
    EXPECT_EQ(entries[1].id, kFirstCommand + 1);
    EXPECT_TRUE(entries[1].greyed);
    EXPECT_TRUE(entries[2].separator);
    EXPECT_EQ(entries[3].text, L"Import feeds...");
    EXPECT_EQ(entries[3].id, kFirstCommand + 3);
    EXPECT_TRUE(entries[4].separator);
    EXPECT_EQ(entries[5].text, L"About...");
    EXPECT_EQ(entries[5].id, kFirstCommand + 2);
    EXPECT_FALSE(entries[5].greyed);
}

TEST_F(FolderMenu, OffersExportAndUpdateAllForAFolderOfNewsFolders) {
    ComApartment apartment;
    TempFolder plain;
    std::filesystem::create_directories(plain.path() / "group" / "feed");
    ASSERT_EQ(folder::createNewsFolder((plain.path() / "group" / "feed").u16string()).status,
              folder::FolderStatus::Done);
    ASSERT_EQ(select({plain.path().wstring()}), S_OK);
    std::vector<Entry> entries = buildMenu(nullptr, 6);
    ASSERT_EQ(entries.size(), 8u);
    const std::pair<const wchar_t*, UINT> feeds[] = {
        {L"Import feeds...", 3}, {L"Export feeds...", 4}, {L"Update all feeds", 5}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[3 + i].text, feeds[i].first);
        EXPECT_EQ(entries[3 + i].id, kFirstCommand + feeds[i].second);
        EXPECT_FALSE(entries[3 + i].greyed);
    }
    EXPECT_EQ(entries[7].text, L"About...");
    // A range too small for them leaves them out.
    HMENU shellMenu = CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(shellMenu, 0, kFirstCommand, kFirstCommand + 4, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3));
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(shellMenu, 0)), 4);
    DestroyMenu(shellMenu);
}

TEST_F(FolderMenu, UsesNoIdentifierPastTheGrantedRange) {
    TempFolder plain;
    ASSERT_EQ(select({plain.path().wstring()}), S_OK);
    HMENU shellMenu = CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(shellMenu, 0, kFirstCommand, kFirstCommand + 1, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
    EXPECT_EQ(GetMenuItemCount(shellMenu), 0);
    EXPECT_EQ(menu->QueryContextMenu(shellMenu, 0, kFirstCommand, kFirstCommand + 2, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3));
    EXPECT_EQ(GetMenuItemCount(shellMenu), 1);
    DestroyMenu(shellMenu);
}

TEST_F(FolderMenu, AddsNothingForTheDefaultCommandOnly) {
    TempFolder plain;
    ASSERT_EQ(select({plain.path().wstring()}), S_OK);
    HMENU shellMenu = CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(shellMenu, 0, kFirstCommand, kFirstCommand + 50, CMF_DEFAULTONLY),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
    EXPECT_EQ(GetMenuItemCount(shellMenu), 0);
    DestroyMenu(shellMenu);
}

TEST_F(FolderMenu, CreateMakesANewsFolderAndRemoveUndoesIt) {
    ComApartment apartment;
    TempFolder directory;
    directory.write("desktop.ini", "[.ShellClassInfo]\r\nIconResource=news.ico,0\r\n");
    ASSERT_EQ(select({directory.path().wstring()}), S_OK);
    invoke(0);
    EXPECT_TRUE(folder::isNewsFolder(directory.path().u16string()));
    EXPECT_NE(directory.read("desktop.ini").find("IconResource=news.ico,0"), std::string::npos);
    EXPECT_TRUE(directory.exists("corvane.xml"));
    EXPECT_EQ(directory.read("readme.txt"), folder::kReadmeText);
    EXPECT_TRUE(hasSystemMark(directory.path()));

    // The next menu sees the news folder.
    ASSERT_EQ(select({directory.path().wstring()}), S_OK);
    std::vector<Entry> entries = buildMenu();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_TRUE(entries[0].greyed);
    EXPECT_FALSE(entries[1].greyed);

    answer = false;
    invoke(1);
    ASSERT_TRUE(askedQuestion.has_value());
    EXPECT_EQ(*askedQuestion, L"Are you sure you wish to remove news from this folder:\n" +
                                  directory.path().wstring() + L" ?");
    EXPECT_TRUE(folder::isNewsFolder(directory.path().u16string()));
    EXPECT_TRUE(hasSystemMark(directory.path()));

    answer = true;
    invoke(1);
    EXPECT_FALSE(directory.exists("desktop.ini"));
    EXPECT_FALSE(directory.exists("corvane.xml"));
    EXPECT_FALSE(directory.exists("readme.txt"));
    EXPECT_FALSE(hasSystemMark(directory.path()));
}

// The question's box has no owner, so the shell can open another folder's menu while it is up.
TEST_F(FolderMenu, RemoveChangesTheFolderItAskedAbout) {
    ComApartment apartment;
    TempFolder asked, other;
    for (TempFolder* folder : {&asked, &other})
        ASSERT_EQ(folder::createNewsFolder(folder->path().u16string()).status, folder::FolderStatus::Done);
    ASSERT_EQ(select({asked.path().wstring()}), S_OK);
    whileAsking = [&] { EXPECT_EQ(select({other.path().wstring()}), S_OK); };
    answer = true;
    invoke(1);
    EXPECT_FALSE(folder::isNewsFolder(asked.path().u16string()));
    EXPECT_TRUE(folder::isNewsFolder(other.path().u16string()));
    EXPECT_TRUE(other.exists("corvane.xml"));
}

TEST_F(FolderMenu, RunsNoCommandForAVerbString) {
    TempFolder directory;
    ASSERT_EQ(select({directory.path().wstring()}), S_OK);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = "open";
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    invoke(7);  // no such command
    EXPECT_FALSE(directory.exists("desktop.ini"));
    EXPECT_FALSE(askedQuestion.has_value());
}

TEST_F(FolderMenu, AboutShowsTheAboutBox) {
    TempFolder directory;
    ASSERT_EQ(select({directory.path().wstring()}), S_OK);
    WindowWatcher watcher(L"About Corvane", [](HWND box) { PostMessageW(box, WM_COMMAND, IDCANCEL, 0); });
    invoke(2);
    EXPECT_TRUE(watcher.acted());
    EXPECT_FALSE(directory.exists("desktop.ini"));
}

TEST_F(FolderMenu, HasNoCommandStrings) {
    char text[64] = {};
    EXPECT_EQ(menu->GetCommandString(0, GCS_VERBA, nullptr, text, sizeof(text)), E_INVALIDARG);
    EXPECT_EQ(menu->GetCommandString(1, GCS_HELPTEXTW, nullptr, text, sizeof(text) / 2), E_INVALIDARG);
}

}  // namespace
}  // namespace corvane
