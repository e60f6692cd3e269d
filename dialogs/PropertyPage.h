#pragma once
// Windows only: one page of a property sheet, made from a dialog template of the module. A page loads
// its controls when the sheet first shows it and stores them when the sheet applies.

#include <windows.h>
#include <prsht.h>

namespace corvane {

class CPropertyPage {
  public:
    explicit CPropertyPage(int templateId) : templateId_(templateId) {}
    virtual ~CPropertyPage() = default;
    CPropertyPage(const CPropertyPage&) = delete;
    CPropertyPage& operator=(const CPropertyPage&) = delete;

    // The page as the sheet's header lists it; the page must outlive the sheet.
    PROPSHEETPAGEW Describe();
    // Null until the sheet first shows the page, and again once the sheet is gone.
    HWND Window() const { return window_; }
    // Whether the sheet applied the page (its OK).
    bool Applied() const { return applied_; }

  protected:
    virtual void OnInitDialog() = 0;
    virtual void OnApply() = 0;

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND window_ = nullptr;
    bool applied_ = false;
};

}  // namespace corvane
