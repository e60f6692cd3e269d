#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// UTF-8 <-> UTF-16 at the edges of the core. Malformed input never fails: each bad sequence
// (or lone surrogate) becomes U+FFFD, so a damaged file or argument still yields text.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);
// fromUtf8 appended to `out`, without a string of its own in between.
void appendUtf8(std::u16string& out, std::string_view text);

// For writers that encode as they go. The code point at text[i] (a unit, or a surrogate pair),
// advancing i past it; a lone surrogate gives U+FFFD.
char32_t nextCodePoint(std::u16string_view text, size_t& i);
// Writes the code point's UTF-8 bytes (at most four) at `out`; returns the end of what it wrote.
char* writeUtf8(char* out, char32_t codePoint);

}  // namespace corvane
