#pragma once
// Windows only: a two-pane splitter child window; panes side by side (vertical bar) or stacked.

#include <windows.h>

#include "view/SplitterLayout.h"

namespace corvane {

class CSplitterWindow {
  public:
    explicit CSplitterWindow(bool vertical) : vertical_(vertical) {}
    ~CSplitterWindow();
    CSplitterWindow(const CSplitterWindow&) = delete;
    CSplitterWindow& operator=(const CSplitterWindow&) = delete;

    HWND Create(HWND parent, DWORD style);
    HWND Window() const { return window_; }
    void SetPane(int pane, HWND window);
    void SetBarEdge(int edge);
    // -1 puts the bar in the middle; the panes are laid out again.
    void SetPosition(int position);
    int Position() const { return layout_.position(); }
    // Moves the panes to where the layout puts them.
    void UpdateLayout();
    bool IsVertical() const { return vertical_; }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    int AlongBar(LPARAM point) const;
    int Extent() const;
    void DrawGhost(int position);

    const bool vertical_;
    HWND window_ = nullptr;
    HWND panes_[2] = {nullptr, nullptr};
    SplitterLayout layout_;
    bool dragging_ = false;
    int ghost_ = -1;  // where the outline of a dragged bar is drawn, without full-window drag
};

}  // namespace corvane
