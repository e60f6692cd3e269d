// The guard of window procedures: whatever a handler throws ends at the procedure's edge, traced,
// and the message gets its default answer.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>

#include "platform/ComCall.h"
#include "support/TraceCapture.h"

namespace corvane {
namespace {

constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kRunOutOfMemory = WM_APP + 2;
constexpr UINT kAnswer = WM_APP + 3;

LRESULT CALLBACK throwingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return windowCall(
        u"throwingProcedure", message,
        [&]() -> LRESULT {
            if (message == kThrow) throw std::runtime_error("handler failed");
            if (message == kRunOutOfMemory) throw std::bad_alloc();
            if (message == kAnswer) return 42;
            return DefWindowProcW(window, message, wParam, lParam);
        },
        [&]() -> LRESULT { return message == kThrow ? 7 : DefWindowProcW(window, message, wParam, lParam); });
}

TEST(WindowCall, AThrowingHandlerIsAnsweredByTheDefaultAndTraced) {
    testing::TraceCapture trace("window-call");
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &throwingProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CorvaneThrowingWindow";
    ASSERT_TRUE(RegisterClassW(&windowClass));
    HWND window = CreateWindowW(L"CorvaneThrowingWindow", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, kAnswer, 0, 0), 42);
    EXPECT_EQ(SendMessageW(window, kThrow, 0, 0), 7);
    EXPECT_EQ(SendMessageW(window, kRunOutOfMemory, 0, 0), 0);
    DestroyWindow(window);
    UnregisterClassW(L"CorvaneThrowingWindow", windowClass.hInstance);
    auto lines = trace.messages();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("throwingProcedure: unexpected exception in message") !=
                                       std::string::npos;
                            }),
              2);
}

TEST(WindowCall, AThrowingDefaultStillReturns) {
    EXPECT_EQ(windowCall(
                  u"test", 0, []() -> INT_PTR { throw 1; }, []() -> INT_PTR { throw 2; }),
              0);
    EXPECT_EQ(windowCall(
                  u"test", 0, []() -> INT_PTR { return TRUE; }, []() -> INT_PTR { return FALSE; }),
              TRUE);
}

}  // namespace
}  // namespace corvane
