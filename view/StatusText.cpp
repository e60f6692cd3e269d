#include "view/StatusText.h"

#include <array>

#include "feedstore/ReadState.h"
#include "platform/WideFormat.h"

namespace corvane {

std::u16string statusText(const RSSObject& feed, const RSSDatabase& collection) {
    if (!feed.isConfigured()) return kNotConfiguredStatus;
    constexpr size_t kBufferLength = 200;
    if (size_t unread = unreadCount(feed.items)) {
        const std::array<FormatArg, 3> args{FormatArg(feed.title), FormatArg(collection.count()),
                                            FormatArg(unread)};
        return formatWideArgs(u"Title: %s [%d, %d unread]", args, kBufferLength - 1);
    }
    const std::array<FormatArg, 2> args{FormatArg(feed.title), FormatArg(collection.count())};
    return formatWideArgs(u"Title: %s [%d]", args, kBufferLength - 1);
}

}  // namespace corvane
