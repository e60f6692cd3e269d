// The whole DLL in Wine's own file manager: a plain folder made a news folder through the registered
// context-menu handler, configured and updated by corvane.exe from the loopback server, then opened
// with explorer.exe. The test drives the file manager's window from outside, as a person would, and
// reads the folder's files after it closed. It registers the DLL in the prefix: one at a time.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "folder/FolderClassGuid.h"
#include "platform/ComApartment.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "platform/Win32Text.h"
#include "support/CorvaneLibrary.h"
#include "support/DropDataObject.h"
#include "support/RunCommandLine.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"
#include "support/TraceCapture.h"
#include "support/WindowSearch.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using corvane::testing::TempFolder;

constexpr int kMessages = 6;

// Polls `done` every 100 ms until it holds or `limit` passed; whether it held.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// Runs a command line to its end (at most a minute); its exit code, or nothing.
std::optional<DWORD> runToEnd(std::wstring commandLine) {
    return testing::runCommandLine(std::move(commandLine), std::chrono::minutes(1));
}

// The DLL registered in the prefix for the life of the object, unregistered however the test ends.
class Registered {
  public:
    Registered() { registered_ = runToEnd(command(false)) == 0u; }
    ~Registered() { runToEnd(command(true)); }
    bool ok() const { return registered_; }

  private:
    static std::wstring command(bool unregister) {
        return std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" +
               testing::corvaneDllPath() + L"\"";
    }
    bool registered_ = false;
};

// A program started without waiting; ended by force if it is still there when the object goes.
class Started {
  public:
    explicit Started(std::wstring commandLine) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            process_ = {};
    }
    ~Started() {
        if (!process_.hProcess) return;
        if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    bool running() const {
        return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
    }
    DWORD id() const { return process_.dwProcessId; }
    bool waitForEnd(DWORD milliseconds) const {
        return process_.hProcess && WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0;
    }

  private:
    PROCESS_INFORMATION process_{};
};

// A window's text, asked across processes (the system copies it over).
std::wstring textOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return L"";
    text.resize(copied);
    return text;
}

int itemCountOf(HWND list) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) return -1;
    return static_cast<int>(count);
}

void pressKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

// The context menu's Create, called as the shell calls a folder menu handler: the registered class
// made by CoCreateInstance, a file drop naming the folder, QueryContextMenu and the command of the
// item named "Create".
void createThroughTheContextMenu(const std::wstring& folder) {
    ComPtr<IShellExtInit> handler;
    ASSERT_EQ(CoCreateInstance(CLSID_FolderImpl, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                               handler.putVoid()),
              S_OK);
    ComPtr<IDataObject> selection(new testing::DropDataObject({folder}));
    ASSERT_EQ(handler->Initialize(nullptr, selection.get(), nullptr), S_OK);
    ComPtr<IContextMenu> menu = handler.as<IContextMenu>(IID_IContextMenu);
    ASSERT_TRUE(menu);
    constexpr UINT kFirst = 200;
    HMENU shellMenu = CreatePopupMenu();
    ASSERT_TRUE(SUCCEEDED(menu->QueryContextMenu(shellMenu, 0, kFirst, kFirst + 40, CMF_NORMAL)));
    HMENU popup = GetSubMenu(shellMenu, 0);
    UINT create = 0;
    for (int i = 0; popup && i < GetMenuItemCount(popup); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(popup, i, text, 64, MF_BYPOSITION);
        if (std::wstring(text) == L"Create") create = GetMenuItemID(popup, i);
    }
    DestroyMenu(shellMenu);
    ASSERT_GE(create, kFirst) << "no Create in the context menu";
    CMINVOKECOMMANDINFO invoke{};
    invoke.cbSize = sizeof(invoke);
    invoke.lpVerb = MAKEINTRESOURCEA(create - kFirst);
    ASSERT_EQ(menu->InvokeCommand(&invoke), S_OK);
}

testing::ProgramRun corvaneCommand(const std::vector<std::string>& arguments, const TempFolder& scratch) {
    return testing::runProgram(CORVANE_EXE, arguments, scratch.path());
}

// The label stored for the message titled `title`, or -1 when the store has no such message.
int storedLabel(const std::string& store, const std::string& title) {
    size_t at = store.find("<title>" + title + "</title>");
    if (at == std::string::npos) return -1;
    size_t end = store.find("</item>", at);
    size_t label = store.find("<corvane_label>", at);
    if (label == std::string::npos || label > end) return 0;
    return std::atoi(store.c_str() + label + std::string("<corvane_label>").size());
}

std::string lastLines(const testing::TraceCapture& trace) {
    std::vector<std::string> lines = trace.lines();
    std::string text;
    for (size_t i = lines.size() > 25 ? lines.size() - 25 : 0; i < lines.size(); ++i)
        text += lines[i] + "\n";
    return text;
}

TEST(WineExplorer, ShowsTheNewsViewOfAFolderMadeUpdatedAndLabelled) {
    ComApartment apartment;
    testing::TraceCapture trace("wine-explorer");
    TempFolder news, scratch;
    const std::string path = toUtf8(news.path().u16string());

    Registered registration;
    ASSERT_TRUE(registration.ok()) << "regsvr32 failed";

    createThroughTheContextMenu(news.path().wstring());
    ASSERT_TRUE(news.exists("desktop.ini"));
    ASSERT_TRUE(news.exists("corvane.xml"));

    const std::string url =
        toUtf8(testing::serverUrl("/feed?items=" + std::to_string(kMessages) + "&first=1"));
    testing::ProgramRun configured = corvaneCommand({"config", path, "--url", url}, scratch);
    ASSERT_EQ(configured.exitCode, 0) << configured.err;
    testing::ProgramRun updated = corvaneCommand({"update", path}, scratch);
    ASSERT_EQ(updated.exitCode, 0) << updated.err;
    ASSERT_NE(news.read("rssitems.xml").find("<title>Message 1</title>"), std::string::npos);

    Started explorer(L"explorer.exe \"" + news.path().wstring() + L"\"");
    ASSERT_TRUE(explorer.running());
    HWND frame = nullptr, view = nullptr, list = nullptr, page = nullptr;
    ASSERT_TRUE(waitFor(
        [&] {
            frame = testing::visibleTopWindow(explorer.id());
            view = frame ? testing::descendantOfClass(frame, L"KtCorvane") : nullptr;
            return view != nullptr;
        },
        30s))
        << "no news view in the file manager's window " << frame << "\n"
        << lastLines(trace);
    list = testing::descendantOfClass(view, WC_LISTVIEWW);
    page = testing::descendantOfClass(view, L"RICHEDIT50W");
    ASSERT_NE(list, nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(IsWindowVisible(view));

    // The stored messages arrive from the initial-load worker.
    ASSERT_TRUE(waitFor([&] { return itemCountOf(list) == kMessages; }, 20s))
        << "rows: " << itemCountOf(list) << "\n"
        << lastLines(trace);

    // The first row, chosen with the keyboard, shows its message in the page.
    pressKey(list, VK_HOME);
    std::string shown;
    ASSERT_TRUE(waitFor(
        [&] {
            std::string text = toUtf8(fromWide(textOf(page)));
            for (int n = 1; n <= kMessages; ++n)
                if (text.find("Text of message " + std::to_string(n)) != std::string::npos)
                    shown = "Message " + std::to_string(n);
            return !shown.empty();
        },
        10s))
        << "page: " << toUtf8(fromWide(textOf(page)));
    EXPECT_NE(toUtf8(fromWide(textOf(page))).find(shown), std::string::npos);

    // Label 3 on it; the file manager never activates the view, so only its closing can save it.
    pressKey(list, '3');
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(storedLabel(news.read("rssitems.xml"), shown), 0) << "saved before the window closed";

    PostMessageW(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(explorer.waitForEnd(20000)) << "the file manager did not close";
    std::string store = news.read("rssitems.xml");
    EXPECT_EQ(storedLabel(store, shown), 3) << store;
    for (int n = 1; n <= kMessages; ++n) {
        std::string title = "Message " + std::to_string(n);
        if (title != shown) {
            EXPECT_EQ(storedLabel(store, title), 0) << title;
        }
    }
}

}  // namespace
}  // namespace corvane
