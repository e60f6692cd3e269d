#include "view/UpdateOutcome.h"

#include "platform/WideFormat.h"
#include "retrieval/WorkerMessages.h"

namespace corvane {
namespace {

// The text with the URL, or without it when the two do not fit the box's buffer.
std::u16string failureText(const char16_t* withUrl, const char16_t* withoutUrl, const std::u16string& url) {
    std::u16string text = formatWide(withUrl, url);
    if (text.size() >= kUpdateBoxTextLength) text = withoutUrl;
    return text;
}

}  // namespace

UpdateOutcome updateOutcome(uint32_t result, bool userCancelled, const std::u16string& url) {
    if (userCancelled) result = UPDATE_OK;
    switch (result) {
        case UPDATE_OK:
            return {true, std::nullopt};
        case UPDATE_NOT_RSS:
            return {false, failureText(u"Requested url is not valid RSS XML: %s",
                                       u"Requested url is not valid RSS XML", url)};
        case UPDATE_DOWNLOAD_FAILED:
            return {false,
                    failureText(u"Unable to download RSS feed: %s", u"Unable to download RSS feed", url)};
        default:
            return {};
    }
}

}  // namespace corvane
