#pragma once
// Windows only: the message list, an owner-data report list view. It keeps the column bookkeeping
// and answers the control's notifications; the view routes them here.

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "feedstore/RSSDatabase.h"
#include "view/ColumnSet.h"
#include "view/MessageFilter.h"

namespace corvane {

// The small images of the Title column: unread messages show the dot, read ones the blank.
constexpr int kImageUnread = 0;
constexpr int kImageRead = 1;

// Commands of the list's menus: 1124 + kind shows or hides a column, 1224 + n sets label n.
constexpr UINT kCommandColumnFirst = 1124;
constexpr UINT kCommandLabelFirst = 1224;
constexpr UINT kCommandDelete = 1324;

class CMainList {
  public:
    CMainList() = default;
    ~CMainList();
    CMainList(const CMainList&) = delete;
    CMainList& operator=(const CMainList&) = delete;

    void Attach(HWND window) { window_ = window; }
    HWND Window() const { return window_; }
    // Styles and the four columns.
    void Setup(RSSDatabase* collection);
    // The find bar's filter, through which the list's rows name the collection's.
    void SetFilter(const MessageFilter* filter) { filter_ = filter; }

    int ColumnIndexOf(int kind) const { return columns_.indexOf(kind); }
    int ColumnKindOf(int index) const { return columns_.kindOf(index); }
    bool IsColumnHidden(int kind) const { return columns_.isHidden(kind); }
    const std::array<int, 4>& ColumnIndexes() const { return columns_.columnIndex(); }
    void ShowColumn(int kind);
    void HideColumn(int kind);
    // Sorts the collection, records the sort process-wide and shows the header arrow.
    void SetSort(int kind, bool ascending);

    // Notification handlers; each does nothing for another control's notification.
    void OnGetDispInfo(NMLVDISPINFOW* info, const RSSObject& feed);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);

    void SetRowCount(size_t rows);
    int RowCount() const;
    std::vector<int> SelectedRows() const;
    // Scrolls the row fully into view and makes it selected and focused.
    void SelectRow(int row);
    void RedrawRows(const std::vector<int>& rows);
    // The kinds in display order (for the view state).
    std::vector<int> KindsInDisplayOrder() const;

  private:
    int InsertColumn(int kind, int width);
    void RebuildColumnIndex();
    void ShowSortArrow(int kind, bool ascending);
    HFONT BoldFont();
    // The list's small images: the unread mark (a dot before the title) and a blank of its size.
    void CreateUnreadMarks();
    // A column's width when it is inserted: scaled to the list's DPI, the Date column fitting a bold date.
    int InitialWidth(int kind);

    HWND window_ = nullptr;
    RSSDatabase* collection_ = nullptr;
    const MessageFilter* filter_ = nullptr;
    ColumnSet columns_;
    // Made once from the control's font and kept while that font stays: rows drawn bold share it.
    HFONT boldFont_ = nullptr;
    HFONT boldFontSource_ = nullptr;
};

}  // namespace corvane
