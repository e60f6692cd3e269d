#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "feedstore/CalendarTime.h"

namespace corvane {

// Parses an RFC 822 publication date ("Tue, 10 Jun 2003 04:00:00 GMT") into a calendar time with
// the zone offset applied. True when the whole layout was recognised; on false `out` is untouched.
// The text ends at its first NUL, as a wide C string would; only its first 199 units are read.
bool parsePubDate(std::u16string_view text, SystemTime* out);

// An RFC 3339 / ISO 8601 date ("2026-12-09T10:15:30Z", "2026-12-09T10:15:30.25+01:00",
// "2026-12-09") written in the RFC 822 form the store keeps ("Wed, 09 Dec 2026 10:15:30 +0000"),
// with its own offset, so that parsePubDate gives the same time for both texts and versions that
// know only RFC 822 read it. Fractions of a second are dropped; a time without a zone is taken as
// UTC. Null for any other text, and for dates before 1900 that the RFC 822 form cannot carry.
// `time`, when given, gets what parsePubDate gives for the text returned.
std::optional<std::u16string> isoDateToRfc822(std::u16string_view text, SystemTime* time = nullptr);

}  // namespace corvane
