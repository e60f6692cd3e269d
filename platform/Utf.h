#pragma once

#include <string>
#include <string_view>

namespace corvane {

// UTF-8 <-> UTF-16 at the edges of the core. Malformed input never fails: each bad sequence
// (or lone surrogate) becomes U+FFFD, so a damaged file or argument still yields text.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);

}  // namespace corvane
