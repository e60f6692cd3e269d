// The progress window's animation, opened by the animation control from the module's resources.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "platform/ModuleLock.h"
#include "resources/ResourceIds.h"

namespace corvane {
namespace {

class ProgressAnimation : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_ANIMATE_CLASS};
        InitCommonControlsEx(&controls);
        parent =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
        animation = CreateWindowExW(0, ANIMATE_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(animation, nullptr);
    }
    void TearDown() override { DestroyWindow(parent); }

    HWND parent = nullptr;
    HWND animation = nullptr;
};

TEST_F(ProgressAnimation, OpensFromTheModuleAsSixteenFramesOf272By56) {
    ASSERT_TRUE(Animate_OpenEx(animation, module::Instance(), MAKEINTRESOURCEW(IDR_PROGRESS_AVI)));
    // Without ACS_CENTER the control takes the size of the frames.
    RECT client;
    GetClientRect(animation, &client);
    EXPECT_EQ(client.right, 272);
    EXPECT_EQ(client.bottom, 56);
    EXPECT_TRUE(Animate_Seek(animation, 15));
    EXPECT_FALSE(Animate_Seek(animation, 16));
    EXPECT_TRUE(Animate_Play(animation, 0, -1, 1));
    EXPECT_TRUE(Animate_Stop(animation));
}

TEST_F(ProgressAnimation, FirstFrameShowsTheFeedTileOnItsBackground) {
    ASSERT_TRUE(Animate_OpenEx(animation, module::Instance(), MAKEINTRESOURCEW(IDR_PROGRESS_AVI)));
    ASSERT_TRUE(Animate_Seek(animation, 0));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 272, 56);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SendMessageW(animation, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    // The tile's amber corner, and the plain background beside it.
    EXPECT_EQ(GetPixel(dc, 14, 14), RGB(236, 150, 44));
    EXPECT_EQ(GetPixel(dc, 130, 54), RGB(240, 240, 240));
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace
}  // namespace corvane
