#pragma once

#include <cstddef>
#include <string_view>

// How a cell's text goes into the buffer the list control gives for it.
namespace corvane::messagelist {

// Cells shown whole: the date (never more than 19 characters) and the not-configured text (ours).
// Other cells keep ten characters of the buffer free, as the list has always cut them; the control
// draws the ellipsis where the text does not fit the column.
bool cellIsWhole(bool feedConfigured, int kind);

// How many characters of `text` a buffer of `capacity` characters (terminator included) takes. A cut
// never separates the two halves of a surrogate pair.
size_t cellTextLength(std::u16string_view text, int capacity, bool whole);

// Copies that much of `text` and the terminator; nothing without a buffer.
void copyCellText(std::u16string_view text, char16_t* buffer, int capacity, bool whole);

}  // namespace corvane::messagelist
