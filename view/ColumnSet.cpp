#include "view/ColumnSet.h"

#include <algorithm>

namespace corvane {

int initialColumnWidth(int kind, int dpi, int boldDateTextWidth) {
    if (kind < 0 || kind >= static_cast<int>(kColumnKindInfo.size())) return 0;
    if (dpi <= 0) dpi = 96;
    const int scaled = (kColumnKindInfo[kind].initialWidth * dpi + 48) / 96;
    if (kind != 3) return scaled;
    // The list leaves about six pixels each side of a cell's text at 96 DPI; a little more is kept.
    const int margins = (16 * dpi + 48) / 96;
    return std::max(scaled, boldDateTextWidth + margins);
}

const ColumnSet::Column* ColumnSet::find(int kind) const {
    for (const Column& column : columns_)
        if (column.kind == kind) return &column;
    return nullptr;
}

void ColumnSet::inserted(int kind, int width, int index) {
    if (!find(kind)) columns_.push_back({kind, width, index, false});
}

bool ColumnSet::canHide(int kind) const {
    const Column* column = find(kind);
    // The Title column holds the not-configured text and is the list's anchor: it always stays.
    return column && !column->hidden && kColumnKindInfo[kind].canHide;
}

bool ColumnSet::canShow(int kind) const {
    const Column* column = find(kind);
    return column && column->hidden;
}

void ColumnSet::setHidden(int kind, bool hidden) {
    for (Column& column : columns_)
        if (column.kind == kind) column.hidden = hidden;
}

bool ColumnSet::isHidden(int kind) const {
    const Column* column = find(kind);
    return !column || column->hidden;
}

void ColumnSet::rebuildIndex(std::span<const int> headerKinds) {
    for (int kind = 1; kind < 4; ++kind)
        columnIndex_[kind] = -1;
    headerKinds_.assign(headerKinds.begin(), headerKinds.end());
    for (size_t index = 0; index < headerKinds.size(); ++index) {
        int kind = headerKinds[index];
        if (kind >= 0 && kind < 4) columnIndex_[kind] = static_cast<int>(index);
    }
}

int ColumnSet::indexOf(int kind) const {
    return kind >= 0 && kind < 4 ? columnIndex_[kind] : -1;
}

int ColumnSet::kindOf(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= headerKinds_.size()) return -1;
    return headerKinds_[index];
}

}  // namespace corvane
