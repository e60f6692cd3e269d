// The About box shown for real: its painting read back from a memory device context, and the ways
// a user ends it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "dialogs/DialogAbout.h"
#include "platform/ModuleLock.h"
#include "resources/ResourceIds.h"
#include "support/WindowWatcher.h"

namespace corvane {
namespace {

using corvane::testing::WindowWatcher;

// A 32-bit top-down picture of a window's client area, filled by a callback drawing into it.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    template <class Draw>
    Capture(int w, int h, Draw draw) : width(w), height(h), pixels(size_t(w) * h) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ReleaseDC(nullptr, screen);
        HGDIOBJ previous = SelectObject(dc, section);
        draw(dc);
        GdiFlush();
        const auto* bgrx = static_cast<const BYTE*>(bits);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = RGB(bgrx[4 * i + 2], bgrx[4 * i + 1], bgrx[4 * i]);
        SelectObject(dc, previous);
        DeleteObject(section);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Runs the box, lets `inspect` look at it, then ends it as `end` says; the box's result.
INT_PTR runAbout(void (*end)(HWND), const std::function<void(HWND)>& inspect = nullptr) {
    CDialogAbout about;
    WindowWatcher watcher(L"About Corvane", [&](HWND box) {
        if (inspect) inspect(box);
        end(box);
    });
    INT_PTR result = about.DoModal(nullptr);
    EXPECT_TRUE(watcher.acted());
    return result;
}

// Under the texts the picture is light; anything dark there is drawn text, edges included.
bool isInk(COLORREF colour) {
    return GetRValue(colour) + GetGValue(colour) + GetBValue(colour) < 3 * 160;
}

void pressEscape(HWND box) {
    PostMessageW(GetDlgItem(box, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST(AboutBox, DrawsTheTextsOverThePictureWhereItSays) {
    constexpr COLORREF kText = RGB(47, 47, 47);
    std::unique_ptr<Capture> box, picture;
    runAbout(&pressEscape, [&](HWND window) {
        RECT client;
        GetClientRect(window, &client);
        box = std::make_unique<Capture>(client.right, client.bottom, [&](HDC dc) {
            EXPECT_NE(SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0);
        });
        picture = std::make_unique<Capture>(client.right, client.bottom, [](HDC dc) {
            HBITMAP bitmap = LoadBitmapW(module::Instance(), MAKEINTRESOURCEW(IDB_ABOUT));
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ previous = SelectObject(memory, bitmap);
            BitBlt(dc, 0, 0, 404, 214, memory, 0, 0, SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
            DeleteObject(bitmap);
        });
    });
    ASSERT_TRUE(box && picture);

    int textInProduct = 0, textBelow = 0;
    int sloganLeft = box->width, sloganRight = -1;
    for (int y = 0; y < box->height; ++y) {
        for (int x = 0; x < box->width; ++x) {
            bool text = box->at(x, y) == kText;
            if (text && x >= 5 && x < 150 && y >= 85 && y < 145) ++textInProduct;
            if (text && y >= 175) ++textBelow;
            if (y >= 145 && y < 175 && isInk(box->at(x, y))) {
                sloganLeft = std::min(sloganLeft, x);
                sloganRight = std::max(sloganRight, x);
            }
        }
    }
    EXPECT_GT(textInProduct, 0);
    EXPECT_EQ(textBelow, 0);
    ASSERT_GE(sloganRight, 0);
    // Drawn pixels span [left, right]; their middle against the client's.
    EXPECT_NEAR((sloganLeft + sloganRight + 1) / 2.0, box->width / 2.0, 2.0)
        << "slogan from " << sloganLeft << " to " << sloganRight << " of " << box->width;
    // The picture covers the client, drawn out from its edges where the client is larger (the
    // section starts black, a colour the picture never uses).
    EXPECT_EQ(std::count(box->pixels.begin(), box->pixels.end(), RGB(0, 0, 0)), 0);
    for (int x = 404; x < box->width; ++x)
        EXPECT_EQ(box->at(x, 2), picture->at(403, 2)) << x;
}

TEST(AboutBox, PictureIs404By214With24Bits) {
    HANDLE picture =
        LoadImageW(module::Instance(), MAKEINTRESOURCEW(IDB_ABOUT), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    ASSERT_NE(picture, nullptr);
    DIBSECTION section = {};
    ASSERT_EQ(GetObjectW(picture, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBmih.biWidth, 404);
    EXPECT_EQ(std::abs(section.dsBmih.biHeight), 214);
    EXPECT_EQ(section.dsBmih.biBitCount, 24);
    DeleteObject(picture);
}

TEST(AboutBox, EscTheCloseBoxAndCloseEndItWithTwo) {
    EXPECT_EQ(runAbout(&pressEscape), 2);
    EXPECT_EQ(runAbout([](HWND box) { PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); }), 2);
    EXPECT_EQ(runAbout([](HWND box) { PostMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0); }), 2);
}

TEST(AboutBox, IsCentredOnTheWorkAreaAndTopmost) {
    runAbout(&pressEscape, [](HWND box) {
        RECT work, frame;
        ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
        GetWindowRect(box, &frame);
        EXPECT_NEAR(frame.left - work.left, work.right - frame.right, 1);
        EXPECT_NEAR(frame.top - work.top, work.bottom - frame.bottom, 1);
        EXPECT_TRUE(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    });
}

}  // namespace
}  // namespace corvane
