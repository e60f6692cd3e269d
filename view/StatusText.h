#pragma once

#include <string>

#include "feedstore/RSSDatabase.h"
#include "feedstore/RSSObject.h"

namespace corvane {

inline constexpr char16_t kNotConfiguredStatus[] = u"Corvane is not configured";

// The status-bar text of a news view: "Title: %s [%d]" with the channel title and the number of
// messages (at most 199 characters, as the view's buffer holds), "Title: %s [%d, %d unread]" while
// some are unread, or the not-configured text.
std::u16string statusText(const RSSObject& feed, const RSSDatabase& collection);

}  // namespace corvane
