#include "view/ViewStateRecord.h"

#include <algorithm>

namespace corvane::viewstate {
namespace {

// The record's sixteen fields in stream order.
std::array<int32_t*, 16> fieldsOf(Record& r) {
    return {&r.splitterPosition, &r.widths[0],     &r.widths[1],       &r.widths[2],
            &r.widths[3],        &r.positions[0],  &r.positions[1],    &r.positions[2],
            &r.positions[3],     &r.visible[0],    &r.visible[1],      &r.visible[2],
            &r.visible[3],       &r.rememberedRow, &r.savedSortColumn, &r.savedSortAscending};
}

}  // namespace

std::array<uint8_t, kRecordSize> encode(const Record& record) {
    Record copy = record;
    std::array<uint8_t, kRecordSize> bytes{};
    size_t at = 0;
    for (int32_t* field : fieldsOf(copy)) {
        auto value = static_cast<uint32_t>(*field);
        for (int shift = 0; shift < 32; shift += 8)
            bytes[at++] = static_cast<uint8_t>(value >> shift);
    }
    return bytes;
}

std::optional<Record> decode(std::span<const uint8_t> bytes) {
    if (bytes.size() != kRecordSize) return std::nullopt;
    Record record;
    size_t at = 0;
    for (int32_t* field : fieldsOf(record)) {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8)
            value |= static_cast<uint32_t>(bytes[at++]) << shift;
        *field = static_cast<int32_t>(value);
    }
    return record;
}

std::array<int32_t, kColumnKindCount> positionsFromOrder(std::span<const int> kindsInDisplayOrder) {
    std::array<int32_t, kColumnKindCount> positions{-1, -1, -1, -1};
    for (size_t p = 0; p < kindsInDisplayOrder.size(); ++p) {
        int kind = kindsInDisplayOrder[p];
        if (kind >= 0 && kind < kColumnKindCount) positions[kind] = static_cast<int32_t>(p);
    }
    return positions;
}

std::optional<std::vector<int>> columnOrder(const std::array<int32_t, kColumnKindCount>& positions,
                                            const std::array<int, kColumnKindCount>& columnIndex) {
    std::vector<int> order;
    for (int p = 0; p < kColumnKindCount; ++p)
        for (int kind = 0; kind < kColumnKindCount; ++kind)
            if (positions[kind] == p) order.push_back(columnIndex[kind]);
    std::vector<int> shown;
    for (int index : columnIndex)
        if (index >= 0) shown.push_back(index);
    std::vector<int> named = order;
    std::sort(named.begin(), named.end());
    std::sort(shown.begin(), shown.end());
    if (named != shown) return std::nullopt;
    return order;
}

Record recordOf(const ShownLayout& shown) {
    Record record;
    record.splitterPosition = shown.splitterPosition;
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        if (!shown.hidden[kind]) record.widths[kind] = shown.widths[kind];
        record.visible[kind] = shown.hidden[kind] ? 0 : 1;
    }
    std::vector<int> kinds;
    for (int kind : shown.kindsInDisplayOrder)
        if (kind >= 0 && kind < kColumnKindCount && !shown.hidden[kind]) kinds.push_back(kind);
    record.positions = positionsFromOrder(kinds);
    record.rememberedRow = shown.rememberedRow;
    record.savedSortColumn = shown.sortColumn;
    record.savedSortAscending = shown.sortAscending ? 1 : 0;
    return record;
}

RestoredLayout layoutOf(const Record& record) {
    RestoredLayout layout;
    layout.splitterPosition = record.splitterPosition;
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        layout.widths[kind] = storedWidth(record.widths[kind]);
        layout.shown[kind] = kind == 0 || record.visible[kind] != 0;
    }
    layout.rememberedRow = record.rememberedRow;
    layout.sortColumn = record.savedSortColumn;
    layout.sortAscending = record.savedSortAscending != 0;
    return layout;
}

}  // namespace corvane::viewstate
