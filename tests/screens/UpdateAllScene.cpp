// The shell's progress window of the folder menu's "Update all feeds": six news folders whose feeds
// the loopback server sends slowly, so the shot catches the updates under way.

#include <windows.h>
#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "folder/FolderFeedsCommands.h"
#include "folder/NewsFolder.h"
#include "platform/Utf.h"
#include "platform/Win32Text.h"
#include "tests/screens/Screens.h"

namespace corvane::screens {
namespace {

void showSummary(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), L"Corvane", MB_OK | MB_ICONINFORMATION);
}

void showUpdateAll() {
    std::wstring server = ServerUrl();
    if (server.empty()) return;  // no shot: the photographer reports the scene as not drawn
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::filesystem::path top = std::filesystem::path(ScratchFolder()) / L"Subscriptions";
    const wchar_t* names[] = {L"Harbour Town News", L"Quay Sports",   L"Lighthouse Weather",
                              L"Ferry Timetable",   L"Market Prices", L"Town Council"};
    int n = 0;
    for (const wchar_t* name : names) {
        std::filesystem::path path = top / L"Around town" / name;
        std::filesystem::create_directories(path);
        folder::createNewsFolder(path.u16string());
        // Each feed's messages come over twenty seconds: every update is under way when the shot is taken.
        std::string url = toUtf8(fromWide(server.c_str())) +
                          "/feed?items=30&amp;first=" + std::to_string(100 * n++) + "&amp;seconds=20";
        std::ofstream(path / L"corvane.xml")
            << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<corvane version=\"1.0\">"
               "<url>"
            << url << "</url></corvane>";
    }
    UpdateAllFeeds(nullptr, top.u16string(), &showSummary);
}

const Registration updateAll({L"update-all", L"the progress window of \"Update all feeds\" on six slow feeds",
                              &showUpdateAll});

}  // namespace
}  // namespace corvane::screens
