#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

// The feed an HTML page names for itself: the href of its first <link rel="alternate"> whose type
// is application/rss+xml or application/atom+xml, resolved against the page's URL. Null when the
// page names none. The page is read as ASCII-compatible bytes (UTF-8 or an 8-bit set).
std::optional<std::u16string> discoverFeedLink(std::span<const uint8_t> page, std::u16string_view pageUrl);

}  // namespace corvane
