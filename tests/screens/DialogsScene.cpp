// The Options sheet on each of its tabs and the About box, over a news folder of sample settings.

#include <windows.h>
#include <prsht.h>

#include <memory>
#include <string>

#include "dialogs/DialogAbout.h"
#include "dialogs/DialogOptions.h"
#include "feedstore/RSSObject.h"
#include "platform/Win32Text.h"
#include "tests/screens/Screens.h"

namespace corvane::screens {
namespace {

constexpr char kSettings[] = R"(<?xml version="1.0" encoding="utf-8"?>
<corvane><url>http://news.corvane.example/headlines/rss.xml</url>
<param name="openOnDoubleClick" value="on"/><param name="rememberPosition" value="on"/>
<param name="dontShowDeleteConfirm" value="off"/><param name="splitterWindow" value="vertical"/>
<param name="formatTime" value="dmy"/><param name="displayTime" value="on"/></corvane>)";

const wchar_t* awaitedCaption = nullptr;
int wantedTab = 0;

// Once the modal window is up, turns to the wanted tab and tells the photographer.
void CALLBACK whenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = FindWindowW(nullptr, awaitedCaption);
    if (!window || !IsWindowVisible(window)) return;
    KillTimer(nullptr, timer);
    if (wantedTab > 0) PropSheet_SetCurSel(window, nullptr, wantedTab);
    UpdateWindow(window);
    Ready();
}

std::unique_ptr<RSSObject> sampleFeed() {
    std::wstring folder = ScratchFolder();
    std::wstring settings = folder + L"\\corvane.xml";
    HANDLE file = CreateFileW(settings.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, kSettings, sizeof(kSettings) - 1, &written, nullptr);
    CloseHandle(file);
    return loadRSSObject(fromWide(settings), fromWide(folder + L"\\rssitems.xml"));
}

void showOptions(int tab) {
    auto feed = sampleFeed();
    awaitedCaption = L"Options";
    wantedTab = tab;
    SetTimer(nullptr, 0, 50, &whenShown);
    ShowOptionsDialog(*feed);
}

void showOptionsGeneral() {
    showOptions(0);
}

void showOptionsDisplay() {
    showOptions(1);
}

void showAbout() {
    awaitedCaption = L"About Corvane";
    SetTimer(nullptr, 0, 50, &whenShown);
    ShowAboutDialog();
}

const Registration general({L"options-general", L"the Options sheet on its General tab",
                            &showOptionsGeneral});
const Registration display({L"options-display", L"the Options sheet on its Display tab",
                            &showOptionsDisplay});
const Registration about({L"about", L"the About box", &showAbout});

}  // namespace
}  // namespace corvane::screens
