// `corvane.exe view` as a person runs it: a process of its own with a window, driven from outside
// with posted input, its view state kept under the APPDATA it was given.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "feedstore/RSSObject.h"
#include "folder/NewsFolder.h"
#include "platform/Utf.h"
#include "platform/Win32Text.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"
#include "support/WindowSearch.h"
#include "support/WindowsPath.h"
#include "view/ViewStateRecord.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kDateColumnKind = 3;

std::wstring exePath() {
    return testing::windowsPath(CORVANE_EXE);
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 15s) {
    auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::string storedItems(int count) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>\n";
    for (int n = 0; n < count; ++n)
        text += "<item><title>Kept " + std::to_string(n) + "</title><link>http://127.0.0.1/kept/" +
                std::to_string(n) + "</link><guid>kept-" + std::to_string(n) +
                "</guid><pubDate>Mon, 09 Jun 2003 0" + std::to_string(n) + ":00:00 GMT</pubDate></item>\n";
    return text + "</channel></rss>\n";
}

// One run of `corvane.exe view DIR`, with APPDATA and the trace file pointed into the test's folder.
class NewsWindowProcess {
  public:
    NewsWindowProcess(const std::wstring& folder, const std::wstring& appData,
                      const std::wstring& traceFile) {
        SetEnvironmentVariableW(L"APPDATA", appData.c_str());
        SetEnvironmentVariableW(L"CORVANE_TRACE", traceFile.c_str());
        std::wstring line = L"\"" + exePath() + L"\" view \"" + folder + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process_);
        SetEnvironmentVariableW(L"CORVANE_TRACE", nullptr);
    }
    ~NewsWindowProcess() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    bool started() const { return started_; }
    HWND window() {
        HWND found = nullptr;
        waitFor([&] {
            found = testing::visibleTopWindow(process_.dwProcessId, [](HWND window) {
                return testing::classOf(window) == L"CorvaneNewsWindow";
            });
            return found != nullptr;
        });
        return found;
    }
    // The exit code, or -1 when it does not end in time.
    int waitForExit(DWORD milliseconds = 10000) {
        if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<int>(code);
    }

  private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

class ViewCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(folder::createNewsFolder(news.path().u16string()).status, folder::FolderStatus::Done);
        news.write("corvane.xml",
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<corvane version=\"1.0\">"
                   "<title>Test channel</title><url>" +
                       toUtf8(testing::serverUrl("/feed?items=3")) + "</url></corvane>");
        news.write("rssitems.xml", storedItems(2));
    }

    std::wstring folderPath() const { return news.path().wstring(); }
    std::wstring appData() const { return (scratch.path() / "AppData").wstring(); }
    std::wstring traceFile() const { return (scratch.path() / "trace.txt").wstring(); }
    std::string trace() const { return scratch.read("trace.txt"); }

    // The one view-state file under the test's APPDATA.
    std::vector<std::filesystem::path> stateFiles() const {
        std::vector<std::filesystem::path> files;
        std::error_code error;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(scratch.path() / "AppData", error))
            if (entry.is_regular_file()) files.push_back(entry.path());
        return files;
    }
    std::optional<viewstate::Record> savedRecord() const {
        std::vector<std::filesystem::path> files = stateFiles();
        if (files.size() != 1) return std::nullopt;
        std::ifstream in(files[0], std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return viewstate::decode(bytes);
    }

    static size_t rows(HWND list) { return static_cast<size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
    static std::wstring statusText(HWND status) {
        wchar_t text[256] = L"";
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(status, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                            &ignored);
        return text;
    }
    // A click of the left button, as the mouse sends it, at a point of the window.
    static void click(HWND window, int x, int y) {
        PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    static void drag(HWND window, int fromX, int toX, int y) {
        PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(fromX, y));
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromX, y));
        PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((fromX + toX) / 2, y));
        PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(toX, y));
        PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(toX, y));
    }

    testing::TempFolder news;
    testing::TempFolder scratch;
};

TEST_F(ViewCommand, OpensUpdatesKeepsItsLayoutAndRestoresIt) {
    {
        NewsWindowProcess run(folderPath(), appData(), traceFile());
        ASSERT_TRUE(run.started());
        HWND frame = run.window();
        ASSERT_NE(frame, nullptr) << "no news window";
        wchar_t title[260] = L"";
        GetWindowTextW(frame, title, 260);
        EXPECT_EQ(std::wstring(title), news.path().filename().wstring());

        HWND list = testing::descendantOfClass(frame, WC_LISTVIEWW);
        HWND status = testing::descendantOfClass(frame, STATUSCLASSNAMEW);
        ASSERT_NE(list, nullptr);
        ASSERT_NE(status, nullptr);
        ASSERT_NE(testing::descendantOfClass(frame, L"KtCorvane"), nullptr);
        EXPECT_TRUE(waitFor([&] {
            return rows(list) == 2 && statusText(status) == L"Title: Test channel [2]";
        })) << rows(list)
            << " rows, status " << toUtf8(fromWide(statusText(status)));
        // The view's menu stands before the window's own File.
        EXPECT_NE(trace().find("SetMenuSB Cor&vane|&File"), std::string::npos) << trace();

        PostMessageW(list, WM_KEYDOWN, VK_F5, 0);
        PostMessageW(list, WM_KEYUP, VK_F5, 0xC0000001);
        EXPECT_TRUE(waitFor([&] {
            return rows(list) == 5 && statusText(status) == L"Title: Test feed [5, 3 unread]";
        })) << rows(list)
            << " rows, status " << toUtf8(fromWide(statusText(status)));

        // Sort by Date, then narrow Title by dragging its right edge.
        HWND header = ListView_GetHeader(list);
        ASSERT_NE(header, nullptr);
        int dateCentre = 400 + 72 + 72 + 118 / 2;
        click(header, dateCentre, 8);
        drag(header, 399, 299, 8);
        EXPECT_TRUE(waitFor([&] { return SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0) == 300; }, 5s))
            << SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0);

        PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(run.waitForExit(), 0);
    }
    std::optional<viewstate::Record> first = savedRecord();
    ASSERT_TRUE(first) << stateFiles().size() << " view-state files";
    EXPECT_EQ(first->savedSortColumn, kDateColumnKind);
    EXPECT_EQ(first->widths[0], 300);
    // The window's own layout lives in the application data, never in the news folder.
    for (const auto& entry : std::filesystem::directory_iterator(news.path()))
        EXPECT_TRUE(entry.path().filename() == "corvane.xml" || entry.path().filename() == "rssitems.xml" ||
                    entry.path().filename() == "desktop.ini" || entry.path().filename() == "readme.txt" ||
                    entry.path().filename() == "corvane.lock")
            << entry.path().filename();
    EXPECT_NE(news.read("rssitems.xml").find("message-2"), std::string::npos);

    // A second window on the folder comes back with that sort and those columns, and keeps them.
    std::filesystem::remove(scratch.path() / "trace.txt");
    {
        NewsWindowProcess run(folderPath(), appData(), traceFile());
        HWND frame = run.window();
        ASSERT_NE(frame, nullptr);
        HWND list = testing::descendantOfClass(frame, WC_LISTVIEWW);
        ASSERT_TRUE(waitFor([&] { return rows(list) == 5; }));
        EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 300);
        PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(run.waitForExit(), 0);
    }
    std::optional<viewstate::Record> second = savedRecord();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->savedSortColumn, kDateColumnKind);
    EXPECT_EQ(second->savedSortAscending, first->savedSortAscending);
    EXPECT_EQ(second->widths, first->widths);
    EXPECT_EQ(second->positions, first->positions);
}

TEST_F(ViewCommand, HiddenColumnsAndDescendingSortComeBack) {
    viewstate::Record record;
    record.splitterPosition = 200;
    record.widths = {350, 72, 72, 140};
    record.positions = {1, 2, -1, 0};  // Date first, Link hidden
    record.visible = {1, 1, 0, 1};
    record.savedSortColumn = kDateColumnKind;
    record.savedSortAscending = 0;
    {
        // Where the first run keeps it: found by letting a window save once.
        NewsWindowProcess run(folderPath(), appData(), traceFile());
        HWND frame = run.window();
        ASSERT_NE(frame, nullptr);
        PostMessageW(frame, WM_CLOSE, 0, 0);
        ASSERT_EQ(run.waitForExit(), 0);
    }
    std::vector<std::filesystem::path> files = stateFiles();
    ASSERT_EQ(files.size(), 1u);
    auto bytes = viewstate::encode(record);
    std::ofstream(files[0], std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    {
        NewsWindowProcess run(folderPath(), appData(), traceFile());
        HWND frame = run.window();
        ASSERT_NE(frame, nullptr);
        HWND list = testing::descendantOfClass(frame, WC_LISTVIEWW);
        ASSERT_TRUE(waitFor([&] { return rows(list) == 2; }));
        HWND header = ListView_GetHeader(list);
        EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
        PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(run.waitForExit(), 0);
    }
    std::optional<viewstate::Record> kept = savedRecord();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->positions, record.positions);
    EXPECT_EQ(kept->visible[2], 0);
    EXPECT_EQ(kept->widths[0], 350);
    EXPECT_EQ(kept->widths[3], 140);
    EXPECT_EQ(kept->savedSortColumn, kDateColumnKind);
    EXPECT_EQ(kept->savedSortAscending, 0);
}

// The window's copy of the folder goes stale while commands write it; its own update and its save
// on closing write only what the window itself changed, on top of theirs.
TEST_F(ViewCommand, CommandsWritingWhileTheWindowIsOpenLoseNothing) {
    const std::string dir = toUtf8(news.path().u16string());
    {
        NewsWindowProcess run(folderPath(), appData(), traceFile());
        HWND frame = run.window();
        ASSERT_NE(frame, nullptr);
        HWND list = testing::descendantOfClass(frame, WC_LISTVIEWW);
        ASSERT_TRUE(waitFor([&] { return rows(list) == 2; }));

        testing::ProgramRun update =
            testing::runProgram(CORVANE_EXE, {"update", dir, "--quiet"}, scratch.path());
        ASSERT_EQ(update.exitCode, 0) << update.err;
        testing::ProgramRun label =
            testing::runProgram(CORVANE_EXE, {"label", dir, "5", "0"}, scratch.path());
        ASSERT_EQ(label.exitCode, 0) << label.err;

        // The window's update brings the same three messages, new to its copy only.
        PostMessageW(list, WM_KEYDOWN, VK_F5, 0);
        PostMessageW(list, WM_KEYUP, VK_F5, 0xC0000001);
        EXPECT_TRUE(waitFor([&] { return rows(list) == 5; })) << rows(list) << " rows";
        PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(run.waitForExit(), 0);
    }
    StoredItems stored = loadStoredItems(news.file("rssitems.xml"));
    ASSERT_EQ(stored.state, StoreFileState::Read);
    std::vector<std::u16string> guids;
    for (const auto& item : stored.items)
        guids.push_back(item->guid);
    EXPECT_EQ(guids,
              (std::vector<std::u16string>{u"kept-0", u"kept-1", u"message-0", u"message-1", u"message-2"}));
    ASSERT_FALSE(stored.items.empty());
    EXPECT_EQ(stored.items[0]->label, 5);
}

TEST_F(ViewCommand, AFolderThatIsNoNewsFolderIsRefused) {
    testing::TempFolder plain;
    testing::ProgramRun run =
        testing::runProgram(CORVANE_EXE, {"view", toUtf8(plain.path().u16string())}, scratch.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("is not a news folder"), std::string::npos) << run.err;
    testing::ProgramRun missing = testing::runProgram(
        CORVANE_EXE, {"view", toUtf8(plain.path().u16string()) + "\\nowhere"}, scratch.path());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no such folder"), std::string::npos) << missing.err;
    testing::ProgramRun help = testing::runProgram(CORVANE_EXE, {"view", "--help"}, scratch.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: corvane view DIR"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace corvane
