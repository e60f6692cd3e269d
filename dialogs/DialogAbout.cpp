#include "dialogs/DialogAbout.h"

#include <algorithm>

#include "platform/ComCall.h"
#include "platform/ModuleLock.h"
#include "platform/Trace.h"
#include "resources/ResourceIds.h"

namespace corvane {
namespace {

constexpr wchar_t kProductText[] = L"Corvane\nVersion 1.1\n\u00A9 2006 corvane.example\nAll rights reserved.";
constexpr wchar_t kSloganText[] = L"Use Corvane to read RSS news in your explorer";
constexpr COLORREF kTextColour = RGB(47, 47, 47);
constexpr RECT kProductRect = {5, 85, 150, 145};
constexpr LONG kSloganTop = 145;
constexpr LONG kSloganBottom = 175;

void centreOnWorkArea(HWND window) {
    RECT work, frame;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(window, &frame)) return;
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Copies the picture to the client's origin. Where the client is larger than the picture (dialog units
// of a wider font, as under Wine's substitute for the dialog font), the picture's last column and row
// are drawn out to the edges: nothing else would paint there.
void copyPicture(HDC dc, HDC memory, HBITMAP picture, int width, int height) {
    BITMAP size = {};
    GetObjectW(picture, sizeof(size), &size);
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    const int right = size.bmWidth, bottom = size.bmHeight;
    if (right <= 0 || bottom <= 0) return;
    if (width > right)
        StretchBlt(dc, right, 0, width - right, std::min(height, bottom), memory, right - 1, 0, 1,
                   std::min(height, bottom), SRCCOPY);
    if (height > bottom)
        StretchBlt(dc, 0, bottom, std::min(width, right), height - bottom, memory, 0, bottom - 1,
                   std::min(width, right), 1, SRCCOPY);
    if (width > right && height > bottom)
        StretchBlt(dc, right, bottom, width - right, height - bottom, memory, right - 1, bottom - 1, 1, 1,
                   SRCCOPY);
}

}  // namespace

CDialogAbout::CDialogAbout() = default;

CDialogAbout::~CDialogAbout() {
    DeleteFont();
}

INT_PTR CDialogAbout::DoModal(HWND owner) {
    return DialogBoxParamW(module::Instance(), MAKEINTRESOURCEW(IDD_ABOUT), owner, &CDialogAbout::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialogAbout::OnInitDialog() {
    centreOnWorkArea(window_);
    productText_ = kProductText;
    sloganText_ = kSloganText;
    DeleteFont();
    font_ = CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg");
}

void CDialogAbout::DeleteFont() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

void CDialogAbout::Paint(HDC dc) const {
    RECT client;
    GetClientRect(window_, &client);
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HBITMAP picture = LoadBitmapW(module::Instance(), MAKEINTRESOURCEW(IDB_ABOUT));
    HGDIOBJ previousBitmap = picture ? SelectObject(memory, picture) : nullptr;
    if (previousBitmap)
        copyPicture(dc, memory, picture, client.right - client.left, client.bottom - client.top);
    else
        FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));

    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = font_ ? SelectObject(dc, font_) : nullptr;
    if (previousFont) {
        SetTextColor(dc, kTextColour);
        RECT product = kProductRect;
        DrawTextW(dc, productText_.c_str(), -1, &product, DT_LEFT | DT_WORDBREAK);
        RECT slogan = {client.left, kSloganTop, client.right, kSloganBottom};
        DrawTextW(dc, sloganText_.c_str(), -1, &slogan, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, previousFont);
    }

    if (previousBitmap) SelectObject(memory, previousBitmap);
    DeleteDC(memory);
    if (picture) DeleteObject(picture);
}

INT_PTR CALLBACK CDialogAbout::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* about = reinterpret_cast<CDialogAbout*>(GetWindowLongPtrW(window, DWLP_USER));
    return windowCall(
        u"CDialogAbout::DialogProc", message,
        [&]() -> INT_PTR {
            switch (message) {
                case WM_INITDIALOG:
                    about = reinterpret_cast<CDialogAbout*>(lParam);
                    SetWindowLongPtrW(window, DWLP_USER, lParam);
                    about->window_ = window;
                    about->OnInitDialog();
                    return TRUE;
                case WM_ERASEBKGND:
                    if (!about) return FALSE;
                    about->Paint(reinterpret_cast<HDC>(wParam));
                    SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
                    return TRUE;
                case WM_COMMAND:
                    // The Close button is IDCANCEL, which Esc and the caption's close box send as well.
                    if (LOWORD(wParam) != IDCANCEL) return FALSE;
                    EndDialog(window, IDCANCEL);
                    return TRUE;
                case WM_DESTROY:
                    if (about) about->DeleteFont();
                    return FALSE;
                default:
                    return FALSE;
            }
        },
        [] { return INT_PTR{FALSE}; });
}

void ShowAboutDialog() {
    try {
        CDialogAbout about;
        if (about.DoModal(GetActiveWindow()) < 0)
            traceError(u"ShowAboutDialog failed", static_cast<uint32_t>(GetLastError()));
    } catch (...) {
        traceError(u"ShowAboutDialog failed", static_cast<uint32_t>(E_UNEXPECTED));
    }
}

}  // namespace corvane
