#include "dialogs/OptionPages.h"

#include "dialogs/OptionTable.h"
#include "feedstore/Options.h"
#include "platform/Trace.h"

namespace corvane::dialogs {

using namespace options;

namespace {

std::u16string_view onOff(bool ticked) {
    return ticked ? kOn : kOff;
}

std::u16string cutUrl(std::u16string_view url) {
    return std::u16string(url.substr(0, OptionsGeneralPage::kUrlMaxLength));
}

}  // namespace

OptionsGeneralPage OptionsGeneralPage::load(const RSSObject& feed) {
    OptionsGeneralPage page;
    page.url = cutUrl(feed.url);
    page.openOnDoubleClick = isOn(feed, kOpenOnDoubleClick);
    page.rememberPosition = isOn(feed, kRememberPosition);
    page.dontShowDeleteConfirm = isOn(feed, kDontShowDeleteConfirm);
    return page;
}

bool OptionsGeneralPage::apply(RSSObject& feed) const {
    trace(u"OptionsGeneralPage::apply");
    feed.url = cutUrl(url);
    feed.setParam(kOpenOnDoubleClick, onOff(openOnDoubleClick));
    feed.setParam(kRememberPosition, onOff(rememberPosition));
    feed.setParam(kDontShowDeleteConfirm, onOff(dontShowDeleteConfirm));
    return feed.storeSettings();
}

OptionsDisplayPage OptionsDisplayPage::load(const RSSObject& feed) {
    OptionsDisplayPage page;
    page.vertical = splitterIsVertical(feed);
    page.dateFormat = datesAreDayMonthYear(feed) ? kDayMonthYear : kYearMonthDay;
    page.showTime = isOn(feed, kDisplayTime);
    return page;
}

bool OptionsDisplayPage::apply(RSSObject& feed) const {
    trace(u"OptionsDisplayPage::apply");
    feed.setParam(kSplitterWindow, vertical ? kVertical : kHorizontal);
    feed.setParam(kFormatTime, dateFormat == kDayMonthYear ? kDmy : kYmd);
    feed.setParam(kDisplayTime, onOff(showTime));
    return feed.storeSettings();
}

OptionsDisplayPage& OptionsSheet::display() {
    if (!display_) display_ = OptionsDisplayPage::load(feed_);
    return *display_;
}

OptionChange OptionsSheet::setOption(std::u16string_view name, std::u16string_view value) {
    const OptionDescription* option = findOption(name);
    if (!option) return OptionChange::UnknownOption;
    if (!allowsValue(*option, value)) return OptionChange::BadValue;
    if (name == kOpenOnDoubleClick)
        general_.openOnDoubleClick = value == kOn;
    else if (name == kRememberPosition)
        general_.rememberPosition = value == kOn;
    else if (name == kDontShowDeleteConfirm)
        general_.dontShowDeleteConfirm = value == kOn;
    else if (name == kSplitterWindow)
        display().vertical = value == kVertical;
    else if (name == kFormatTime)
        display().dateFormat =
            value == kDmy ? OptionsDisplayPage::kDayMonthYear : OptionsDisplayPage::kYearMonthDay;
    else if (name == kDisplayTime)
        display().showTime = value == kOn;
    return OptionChange::Set;
}

bool OptionsSheet::ok() {
    bool stored = general_.apply(feed_);
    if (display_) stored = display_->apply(feed_) && stored;
    return stored;
}

}  // namespace corvane::dialogs
