#pragma once
// Windows only: the About box, a picture with the product lines and the slogan drawn over it.

#include <windows.h>

#include <string>

namespace corvane {

// The modal About box, owned by the active window.
void ShowAboutDialog();

class CDialogAbout {
  public:
    CDialogAbout();
    ~CDialogAbout();
    CDialogAbout(const CDialogAbout&) = delete;
    CDialogAbout& operator=(const CDialogAbout&) = delete;

    // Runs the box modally; 2 when the user closed it, -1 when it could not be shown.
    INT_PTR DoModal(HWND owner);

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    // Draws the background picture and both texts over the client area.
    void Paint(HDC dc) const;
    void DeleteFont();

    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    std::wstring productText_;
    std::wstring sloganText_;
};

}  // namespace corvane
