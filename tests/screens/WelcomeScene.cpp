// A plain window with the project's name: proves the photographer works before any real scene exists.

#include "tests/screens/Screens.h"

namespace corvane::screens {
namespace {

LRESULT CALLBACK welcomeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        DrawTextW(dc, L"Corvane", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        Ready();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void showWelcome() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &welcomeProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"CorvaneScreensWelcome";
    RegisterClassW(&windowClass);
    CreateWindowW(windowClass.lpszClassName, L"Corvane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 200,
                  nullptr, nullptr, windowClass.hInstance, nullptr);
    RunMessageLoop();
}

const Registration welcome({L"welcome", L"a plain window, to check the photographer", &showWelcome});

}  // namespace
}  // namespace corvane::screens
