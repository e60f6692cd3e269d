#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The layout a news view keeps in the file manager's per-folder stream: 64 bytes, sixteen signed
// 32-bit little-endian values, no header. Column kinds are the message list's (0 Title to 3 Date).
namespace corvane::viewstate {

constexpr size_t kRecordSize = 64;
constexpr int kColumnKindCount = 4;
// What a hidden column's width is stored as.
constexpr std::array<int32_t, kColumnKindCount> kDefaultWidths{400, 72, 72, 118};

struct Record {
    int32_t splitterPosition = 0;
    std::array<int32_t, kColumnKindCount> widths = kDefaultWidths;
    std::array<int32_t, kColumnKindCount> positions{-1, -1, -1, -1};  // display position, -1 when not shown
    std::array<int32_t, kColumnKindCount> visible{0, 0, 0, 0};
    int32_t rememberedRow = -1;
    int32_t savedSortColumn = -1;
    int32_t savedSortAscending = 0;
};

std::array<uint8_t, kRecordSize> encode(const Record& record);
// Only exactly 64 bytes make a record; anything shorter or longer was written by something else.
std::optional<Record> decode(std::span<const uint8_t> bytes);

// The position fields from the control's order array, given as the kind shown at each display
// position (kinds outside 0 to 3 are skipped).
std::array<int32_t, kColumnKindCount> positionsFromOrder(std::span<const int> kindsInDisplayOrder);

// The control's column order array from stored positions: for each display position, the current
// column index of every kind stored there. `columnIndex` holds each kind's index, -1 when hidden.
// None when the positions do not name every shown column exactly once (another layout, or damage):
// the caller then keeps the order it has.
std::optional<std::vector<int>> columnOrder(const std::array<int32_t, kColumnKindCount>& positions,
                                            const std::array<int, kColumnKindCount>& columnIndex);

// What the view reads from its list and splitter to save the layout.
struct ShownLayout {
    int32_t splitterPosition = 0;
    // Each kind's width in the control; a hidden kind's is not looked at.
    std::array<int32_t, kColumnKindCount> widths{};
    std::array<bool, kColumnKindCount> hidden{};
    std::vector<int> kindsInDisplayOrder;
    // The collection row of the current message, -1 for none or when the position is not remembered.
    int32_t rememberedRow = -1;
    int32_t sortColumn = -1;
    bool sortAscending = false;
};

// The record saved for that layout: a hidden column keeps its default width and no position.
Record recordOf(const ShownLayout& shown);

// What a read record gives back to the list and the splitter: the widths by kind as the control takes
// them, which kinds to show (Title always) and the rest as stored. The column order follows from the
// positions once the columns are shown (columnOrder).
struct RestoredLayout {
    int32_t splitterPosition = 0;
    std::array<int, kColumnKindCount> widths{};
    std::array<bool, kColumnKindCount> shown{};
    int32_t rememberedRow = -1;
    int32_t sortColumn = -1;
    bool sortAscending = false;
};
RestoredLayout layoutOf(const Record& record);

// A stored width as the control takes it: the low 16 bits, unsigned.
inline int storedWidth(int32_t width) {
    return static_cast<int>(static_cast<uint32_t>(width) & 0xFFFFu);
}

}  // namespace corvane::viewstate
