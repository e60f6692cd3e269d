#pragma once

#include <string>
#include <string_view>

#include "feedstore/CalendarTime.h"

namespace corvane {

// The identity of a feed item: base64 (no padding) of the MD5 of the UTF-16LE units of
// guid + date stamp + title + link, 22 characters; empty when that key is empty. The stamp is the
// publication time as "%04d%02d%02d%02d%02d" (year to minute), left out when there is no date
// (publishedTime null). Stored ids rest on this exact text.
std::u16string makeItemId(std::u16string_view guid, const SystemTime* publishedTime,
                          std::u16string_view title, std::u16string_view link);

}  // namespace corvane
