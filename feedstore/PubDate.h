#pragma once

#include <string_view>

#include "feedstore/CalendarTime.h"

namespace corvane {

// Parses an RFC 822 publication date ("Tue, 10 Jun 2003 04:00:00 GMT") into a calendar time with
// the zone offset applied. True when the whole layout was recognised; on false `out` is untouched.
// The text ends at its first NUL, as a wide C string would; only its first 199 units are read.
bool parsePubDate(std::u16string_view text, SystemTime* out);

}  // namespace corvane
