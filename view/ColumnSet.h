#pragma once

#include <array>
#include <span>
#include <vector>

// The message list's column bookkeeping, kept apart from the control: which kinds were inserted,
// which are hidden, and the control's current index of each kind.
namespace corvane {

struct ColumnKindInfo {
    int headerStringId;
    int initialWidth;
    bool canHide;
};
// Kinds 0 Title, 1 Description, 2 Link, 3 Date.
inline constexpr std::array<ColumnKindInfo, 4> kColumnKindInfo{{
    {101, 400, false},
    {102, 72, true},
    {103, 72, true},
    {104, 118, true},
}};

// A column's initial width, given for 96 DPI, at the window's DPI. The Date column is also at least
// as wide as its widest date text in the bold font (label 5) and the cell's margins, so no date is cut.
int initialColumnWidth(int kind, int dpi, int boldDateTextWidth);

class ColumnSet {
  public:
    struct Column {
        int kind;
        int width;  // as first inserted
        int index;  // as first inserted
        bool hidden;
    };

    // A column the control inserted at `index`; the first insertion of a kind makes its record.
    void inserted(int kind, int width, int index);
    // Whether HideColumn may remove the kind: a record exists, it is shown and it is not Title.
    bool canHide(int kind) const;
    // Whether ShowColumn may bring the kind back: a record exists and it is hidden.
    bool canShow(int kind) const;
    void setHidden(int kind, bool hidden);
    // A kind without a record counts as hidden.
    bool isHidden(int kind) const;

    // From the kinds the header items carry, in index order. Kind 0 keeps its entry when absent.
    void rebuildIndex(std::span<const int> headerKinds);
    int indexOf(int kind) const;
    int kindOf(int index) const;
    const std::array<int, 4>& columnIndex() const { return columnIndex_; }
    const std::vector<Column>& columns() const { return columns_; }

  private:
    const Column* find(int kind) const;
    std::vector<Column> columns_;
    std::array<int, 4> columnIndex_{-1, -1, -1, -1};
    std::vector<int> headerKinds_;
};

}  // namespace corvane
