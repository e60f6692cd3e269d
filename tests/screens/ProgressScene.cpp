// The shell's progress window during a real update: the news view over a folder whose feed the
// loopback server sends slowly, so the shot catches the download half way.

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "folder/NewsFolder.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "platform/Win32Text.h"
#include "tests/screens/HostedView.h"
#include "tests/screens/Screens.h"

namespace corvane::screens {
namespace {

void showUpdate() {
    std::wstring server = ServerUrl();
    if (server.empty()) return;  // no shot: the photographer reports the scene as not drawn
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring path = std::wstring(ScratchFolder()) + L"\\news";
    CreateDirectoryW(path.c_str(), nullptr);
    folder::createNewsFolder(fromWide(path.c_str()));
    // Forty messages sent over twelve seconds: the download is well under way when the shot is taken.
    std::string url = toUtf8(fromWide(server.c_str())) + "/feed?items=40&amp;first=1&amp;seconds=12";
    std::ofstream(std::filesystem::path(path + L"\\corvane.xml"))
        << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<corvane version=\"1.0\"><title>Harbour Town "
           "News</title><url>"
        << url << "</url></corvane>";

    HostedView hosted = ShowHostedView(path, 760, 480);
    // As the file manager's Refresh asks for it: the update starts once the stored messages are in.
    hosted.view->Refresh();
    SetTimer(hosted.frame, 1, 5000, nullptr);
    RunMessageLoop();
}

const Registration progress({L"progress",
                             L"the shell's progress window during an update from a slow loopback server",
                             &showUpdate});

}  // namespace
}  // namespace corvane::screens
