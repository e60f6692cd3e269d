#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// What a reader sees of a field that may hold markup, as one line: tags removed (a tag that breaks
// a line or a cell, such as p, br, li or td, leaves a space; inline ones such as b or a leave
// nothing), character references decoded, script and style dropped, the text of CDATA sections kept,
// white space collapsed to single spaces and trimmed. At most `limit` characters: the reading stops
// there, so a cell of a very long field costs no more than its text.
std::u16string markupAsText(std::u16string_view markup, size_t limit = std::u16string::npos);

}  // namespace corvane
