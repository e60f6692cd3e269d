// The scene program: `corvane_screens --list` names the scenes; `corvane_screens SCENE READY DONE`
// shows one, creates the file READY once it is drawn, and ends when the file DONE appears (or after
// a minute, when nobody photographs it).

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/screens/Screens.h"

namespace corvane::screens {
namespace {

std::vector<Scene>& scenes() {
    static std::vector<Scene> list;
    return list;
}

HANDLE readyEvent = nullptr;
std::wstring scratch;

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Photographer {
    std::wstring readyFile;
    std::wstring doneFile;
};

DWORD WINAPI photograph(void* parameter) {
    auto* files = static_cast<Photographer*>(parameter);
    WaitForSingleObject(readyEvent, 15000);
    Sleep(300);  // let the last paint messages reach the screen
    HANDLE ready =
        CreateFileW(files->readyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    for (int waited = 0; waited < 60000 && !fileExists(files->doneFile); waited += 50)
        Sleep(50);
    if (!scratch.empty()) {
        std::wstring from = scratch + L'\0';
        SHFILEOPSTRUCTW operation{};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NO_UI;
        SHFileOperationW(&operation);
    }
    ExitProcess(0);
}

}  // namespace

Registration::Registration(const Scene& scene) {
    scenes().push_back(scene);
}

void Ready() {
    if (readyEvent) SetEvent(readyEvent);
}

HWND CreateFrame(const wchar_t* className, WNDPROC procedure, const wchar_t* title, int width, int height,
                 int backgroundColour) {
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = procedure;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(backgroundColour + 1));
    frameClass.lpszClassName = className;
    RegisterClassW(&frameClass);
    return CreateWindowW(className, title, WS_OVERLAPPEDWINDOW, 20, 20, width, height, nullptr, nullptr,
                         frameClass.hInstance, nullptr);
}

void RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring ServerUrl() {
    wchar_t url[200] = L"";
    DWORD length = GetEnvironmentVariableW(L"CORVANE_SCENE_SERVER", url, 200);
    return length > 0 && length < 200 ? url : L"";
}

const wchar_t* ScratchFolder() {
    if (scratch.empty()) {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        scratch = std::wstring(base) + L"corvane-screens-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(scratch.c_str(), nullptr);
    }
    return scratch.c_str();
}

}  // namespace corvane::screens

int wmain(int argc, wchar_t** argv) {
    using namespace corvane::screens;
    if (argc == 2 && std::wcscmp(argv[1], L"--list") == 0) {
        for (const Scene& scene : scenes())
            if (!scene.helper) std::wprintf(L"%ls\t%ls\n", scene.name, scene.description);
        return 0;
    }
    if (argc != 4) {
        std::fwprintf(stderr, L"usage: corvane_screens --list | SCENE READY-FILE DONE-FILE\n");
        return 2;
    }
    for (const Scene& scene : scenes()) {
        if (std::wcscmp(scene.name, argv[1]) != 0) continue;
        OleInitialize(nullptr);
        readyEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        static Photographer files{argv[2], argv[3]};
        CloseHandle(CreateThread(nullptr, 0, &photograph, &files, 0, nullptr));
        scene.show();
        // A scene whose loop ended before the shot waits for it.
        for (;;)
            Sleep(1000);
    }
    std::fwprintf(stderr, L"no scene named %ls\n", argv[1]);
    return 2;
}
