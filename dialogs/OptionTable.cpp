#include "dialogs/OptionTable.h"

#include "feedstore/Options.h"

namespace corvane::dialogs {
namespace {

using namespace options;

template <const char16_t* Name>
std::u16string_view onUnlessOtherwise(const RSSObject& feed) {
    return isOn(feed, Name) ? kOn : kOff;
}

std::u16string_view splitter(const RSSObject& feed) {
    return splitterIsVertical(feed) ? kVertical : kHorizontal;
}

std::u16string_view dateOrder(const RSSObject& feed) {
    return datesAreDayMonthYear(feed) ? kDmy : kYmd;
}

std::u16string_view timeShown(const RSSObject& feed) {
    return datesShowTime(feed) ? kOn : kOff;
}

constexpr OptionDescription kOptions[] = {
    {kOpenOnDoubleClick, OptionsPageKind::General, {kOn, kOff}, onUnlessOtherwise<kOpenOnDoubleClick>},
    {kRememberPosition, OptionsPageKind::General, {kOn, kOff}, onUnlessOtherwise<kRememberPosition>},
    {kDontShowDeleteConfirm,
     OptionsPageKind::General,
     {kOn, kOff},
     onUnlessOtherwise<kDontShowDeleteConfirm>},
    {kSplitterWindow, OptionsPageKind::Display, {kVertical, kHorizontal}, splitter},
    {kFormatTime, OptionsPageKind::Display, {kYmd, kDmy}, dateOrder},
    {kDisplayTime, OptionsPageKind::Display, {kOn, kOff}, timeShown},
};

}  // namespace

std::span<const OptionDescription> optionTable() {
    return kOptions;
}

const OptionDescription* findOption(std::u16string_view name) {
    for (const OptionDescription& option : kOptions)
        if (option.name == name) return &option;
    return nullptr;
}

bool allowsValue(const OptionDescription& option, std::u16string_view value) {
    return value == option.values[0] || value == option.values[1];
}

}  // namespace corvane::dialogs
