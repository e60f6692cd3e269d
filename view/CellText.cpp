#include "view/CellText.h"

#include <algorithm>

#include "feedstore/RSSDatabase.h"

namespace corvane::messagelist {
namespace {

// Characters of the buffer a cut cell leaves unused.
constexpr int kCutMargin = 10;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

bool cellIsWhole(bool feedConfigured, int kind) {
    return kind == kColumnDate || (!feedConfigured && kind == kColumnTitle);
}

size_t cellTextLength(std::u16string_view text, int capacity, bool whole) {
    const int room = whole ? capacity - 1 : capacity - kCutMargin;
    if (room <= 0) return 0;
    size_t length = std::min(text.size(), static_cast<size_t>(room));
    if (length < text.size() && isHighSurrogate(text[length - 1])) --length;
    return length;
}

void copyCellText(std::u16string_view text, char16_t* buffer, int capacity, bool whole) {
    if (!buffer || capacity <= 0) return;
    const size_t length = cellTextLength(text, capacity, whole);
    std::copy_n(text.data(), length, buffer);
    buffer[length] = u'\0';
}

}  // namespace corvane::messagelist
