// The one way window classes are registered: a class left with another procedure is replaced, the
// library's own is kept, and all go when the library unloads.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/WindowClass.h"

namespace corvane {
namespace {

constexpr wchar_t kClassName[] = L"CorvaneWindowClassTest";

LRESULT CALLBACK firstProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK secondProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_APP ? 2 : DefWindowProcW(window, message, wParam, lParam);
}

WNDCLASSEXW classWith(WNDPROC procedure, int extraBytes) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = extraBytes;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    return windowClass;
}

// The procedure and extra bytes of the class as registered now; null when there is none.
WNDCLASSEXW registeredClass() {
    WNDCLASSEXW found{};
    found.cbSize = sizeof(found);
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &found)) return WNDCLASSEXW{};
    return found;
}

TEST(WindowClass, KeepsItsOwnReplacesAStaleOneAndUnregistersOnUnload) {
    unregisterWindowClasses();
    struct Step {
        WNDPROC procedure;
        int extraBytes;
        WNDPROC expectedProcedure;
        int expectedExtraBytes;
    };
    const Step steps[] = {
        {&firstProcedure, 8, &firstProcedure, 8},
        // Same procedure: the registered class stays as it is.
        {&firstProcedure, 16, &firstProcedure, 8},
        // Another procedure, as an earlier load of the library at another address left it: replaced.
        {&secondProcedure, 16, &secondProcedure, 16},
    };
    for (const Step& step : steps) {
        EXPECT_TRUE(registerWindowClass(classWith(step.procedure, step.extraBytes)));
        const WNDCLASSEXW found = registeredClass();
        EXPECT_EQ(found.lpfnWndProc, step.expectedProcedure);
        EXPECT_EQ(found.cbWndExtra, step.expectedExtraBytes);
    }
    HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, WM_APP, 0, 0), 2);
    DestroyWindow(window);

    unregisterWindowClasses();
    EXPECT_EQ(registeredClass().lpfnWndProc, nullptr);
    // Registering again after the unload's unregistering works as the first time.
    EXPECT_TRUE(registerWindowClass(classWith(&firstProcedure, 8)));
    EXPECT_EQ(registeredClass().lpfnWndProc, &firstProcedure);
    unregisterWindowClasses();
}

}  // namespace
}  // namespace corvane
