#pragma once

#include <optional>
#include <string>

#include "feedstore/RSSDatabase.h"
#include "feedstore/RSSObject.h"

namespace corvane {

inline constexpr char16_t kNotConfiguredStatus[] = u"Corvane is not configured";

// The status-bar text of a news view: "Title: %s [%d]" with the channel title and the number of
// messages (at most 199 characters, as the view's buffer holds), "Title: %s [%d, %d unread]" while
// some are unread, or the not-configured text. While the find bar filters the list, `shown` rows of
// them: "Title: %s [%d of %d messages shown]", and ", %d unread" before the bracket closes while some
// of the folder's messages are unread (the folder's count, as without a filter, so it stays put while
// a person types).
std::u16string statusText(const RSSObject& feed, const RSSDatabase& collection,
                          std::optional<size_t> shown = std::nullopt);

}  // namespace corvane
