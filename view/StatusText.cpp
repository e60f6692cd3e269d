#include "view/StatusText.h"

#include <array>

#include "feedstore/ReadState.h"
#include "platform/WideFormat.h"

namespace corvane {

std::u16string statusText(const RSSObject& feed, const RSSDatabase& collection, std::optional<size_t> shown) {
    if (!feed.isConfigured()) return kNotConfiguredStatus;
    constexpr size_t kBufferLength = 200;
    if (shown) {
        const size_t unread = unreadCount(feed.items);
        const std::array<FormatArg, 4> args{FormatArg(feed.title), FormatArg(*shown),
                                            FormatArg(collection.count()), FormatArg(unread)};
        return formatWideArgs(
            unread ? u"Title: %s [%d of %d messages shown, %d unread]"
                   : u"Title: %s [%d of %d messages shown]",
            unread ? std::span<const FormatArg>(args) : std::span<const FormatArg>(args).first(3),
            kBufferLength - 1);
    }
    if (size_t unread = unreadCount(feed.items)) {
        const std::array<FormatArg, 3> args{FormatArg(feed.title), FormatArg(collection.count()),
                                            FormatArg(unread)};
        return formatWideArgs(u"Title: %s [%d, %d unread]", args, kBufferLength - 1);
    }
    const std::array<FormatArg, 2> args{FormatArg(feed.title), FormatArg(collection.count())};
    return formatWideArgs(u"Title: %s [%d]", args, kBufferLength - 1);
}

}  // namespace corvane
