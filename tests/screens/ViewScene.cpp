// The news view as a user sees it: a folder of messages, a few of them labelled, shown by the real
// folder object and view in a window of ours that plays the file manager's part.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "folder/NewsFolder.h"
#include "platform/ComPtr.h"
#include "tests/screens/HostedView.h"
#include "tests/screens/Screens.h"

namespace corvane::screens {
namespace {

void writeFolder(const std::wstring& path) {
    folder::createNewsFolder(std::u16string(path.begin(), path.end()));
    std::ofstream(std::filesystem::path(path + L"\\corvane.xml"))
        << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<corvane version=\"1.0\"><title>Harbour Town "
           "News</title>"
           "<url>http://127.0.0.1/news.xml</url><param name=\"label1Title\" value=\"Important\"/></corvane>";
    const char* titles[] = {"Ferry timetable changes for the winter season",
                            "New library opens on Quay Street",
                            "Council approves the harbour wall repairs",
                            "Weekend market moves indoors",
                            "Lighthouse tours resume in March",
                            "School choir wins regional prize",
                            "Road closures during the marathon",
                            "Fishing fleet reports a record catch",
                            "Storm warning for the coast on Thursday",
                            "Museum adds a maritime gallery",
                            "Volunteers clean up the north beach",
                            "Bus route 7 extended to the station"};
    const int labels[] = {0, 1, 0, 5, 0, 2, 3, 0, 1, 4, 0, 0};
    std::ofstream store(std::filesystem::path(path + L"\\rssitems.xml"));
    store << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>\n";
    for (int n = 0; n < 12; ++n)
        store << "<item><title>" << titles[n] << "</title><link>http://127.0.0.1/news/" << n
              << "</link><description>Story " << n << "</description><guid>story-" << n
              << "</guid><pubDate>Mon, " << 10 + n << " Nov 2026 0" << n % 10
              << ":15:00 GMT</pubDate><corvane_label>" << labels[n] << "</corvane_label></item>\n";
    store << "</channel></rss>\n";
}

void showView() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring path = std::wstring(ScratchFolder()) + L"\\news";
    CreateDirectoryW(path.c_str(), nullptr);
    writeFolder(path);

    HostedView hosted = ShowHostedView(path, 960, 640);

    // Once the stored messages are in: sorted by date, newest first, one of them selected.
    MSG message;
    for (int n = 0; n < 100 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) >= 0; ++n) {
        if (message.hwnd) DispatchMessageW(&message);
        Sleep(10);
    }
    HWND splitter = nullptr;
    hosted.view->GetWindow(&splitter);
    HWND list = FindWindowExW(splitter, nullptr, WC_LISTVIEWW, nullptr);
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 3;
    SendMessageW(hosted.viewWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    SendMessageW(hosted.viewWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
    SetFocus(list);
    SetTimer(hosted.frame, 1, 500, nullptr);
    RunMessageLoop();
}

const Registration scene({L"view", L"the news view over a folder of twelve messages, five labelled",
                          &showView});

}  // namespace
}  // namespace corvane::screens
