#include "view/StatusText.h"

#include <array>

#include "platform/WideFormat.h"

namespace corvane {

std::u16string statusText(const RSSObject& feed, const RSSDatabase& collection) {
    if (!feed.isConfigured()) return kNotConfiguredStatus;
    constexpr size_t kBufferLength = 200;
    const std::array<FormatArg, 2> args{FormatArg(feed.title), FormatArg(collection.count())};
    return formatWideArgs(u"Title: %s [%d]", args, kBufferLength - 1);
}

}  // namespace corvane
