#pragma once

#include <string>

#include "feedstore/RSSObject.h"

// The per-folder options kept as name/value pairs in corvane.xml, and the value each reader uses.
namespace corvane::options {

inline constexpr char16_t kOpenOnDoubleClick[] = u"openOnDoubleClick";
inline constexpr char16_t kRememberPosition[] = u"rememberPosition";
inline constexpr char16_t kDontShowDeleteConfirm[] = u"dontShowDeleteConfirm";
inline constexpr char16_t kSplitterWindow[] = u"splitterWindow";
inline constexpr char16_t kFormatTime[] = u"formatTime";
inline constexpr char16_t kDisplayTime[] = u"displayTime";

inline constexpr char16_t kOn[] = u"on";
inline constexpr char16_t kOff[] = u"off";
inline constexpr char16_t kVertical[] = u"vertical";
inline constexpr char16_t kHorizontal[] = u"horizontal";
inline constexpr char16_t kYmd[] = u"ymd";
inline constexpr char16_t kDmy[] = u"dmy";

// An on/off option counts only when it says "on" (absent means off).
inline bool isOn(const RSSObject& feed, const char16_t* name) {
    return feed.getParam(name, u"") == kOn;
}
inline bool splitterIsVertical(const RSSObject& feed) {
    return feed.getParam(kSplitterWindow, u"") == kVertical;
}
inline bool datesAreDayMonthYear(const RSSObject& feed) {
    return feed.getParam(kFormatTime, u"") == kDmy;
}
// The date column shows the time unless the option says "off".
inline bool datesShowTime(const RSSObject& feed) {
    return feed.getParam(kDisplayTime, u"") != kOff;
}

// The title of label 0 ("labelDefaultTitle") to 5 ("label5Title"); written by nothing but a user
// editing corvane.xml.
std::u16string labelTitle(const RSSObject& feed, int label);

}  // namespace corvane::options
