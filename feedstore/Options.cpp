#include "feedstore/Options.h"

#include "platform/WideFormat.h"

namespace corvane::options {

std::u16string labelTitle(const RSSObject& feed, int label) {
    if (label <= 0) return feed.getParam(u"labelDefaultTitle", u"Default");
    return feed.getParam(formatWide(u"label%dTitle", label), formatWide(u"Label %d", label));
}

}  // namespace corvane::options
