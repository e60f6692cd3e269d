#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "feedstore/RSSObject.h"

// What the Options pages show and what OK makes of it, without the windows: the property sheet's
// pages copy these to and from their controls, and the corvane command edits them as a user would.
namespace corvane::dialogs {

// The General page: the feed URL (edit 211) and check boxes 217, 212 and 222.
struct OptionsGeneralPage {
    // The page reads the URL through a 300-character buffer.
    static constexpr size_t kUrlMaxLength = 299;

    std::u16string url;
    bool openOnDoubleClick = false;
    bool rememberPosition = false;
    bool dontShowDeleteConfirm = false;

    // Each box is ticked exactly when its option is "on".
    static OptionsGeneralPage load(const RSSObject& feed);
    // Stores the URL as typed, up to kUrlMaxLength (no trimming, no check; an empty one unconfigures
    // the folder), each option as "on" or "off", then corvane.xml. True when the file was written; the page
    // itself succeeds either way.
    bool apply(RSSObject& feed) const;
};

// The Display page: radio buttons 213/214, drop-down list 215 and check box 216.
struct OptionsDisplayPage {
    // The items of list 215, at these positions.
    static constexpr const char16_t* kDateFormats[2] = {u"YYYY-MM-DD", u"DD.MM.YYYY"};
    static constexpr int kYearMonthDay = 0;
    static constexpr int kDayMonthYear = 1;

    bool vertical = false;           // 214 "Vertical" rather than 213 "Horizontal"
    int dateFormat = kYearMonthDay;  // the list's selection; -1 is none
    bool showTime = false;

    // "Show time" is ticked only for "on", although the date column shows the time unless "off".
    static OptionsDisplayPage load(const RSSObject& feed);
    // Stores "vertical"/"horizontal", "dmy" for selection 1 and "ymd" for any other, "on"/"off", then
    // corvane.xml. True when the file was written.
    bool apply(RSSObject& feed) const;
};

enum class OptionChange { Set, UnknownOption, BadValue };

// One showing of the sheet. The General page is made at once, the Display page when its tab is first
// opened; OK applies every page made, General first, and a sheet dropped without OK applies nothing.
class OptionsSheet {
  public:
    explicit OptionsSheet(RSSObject& feed) : feed_(feed), general_(OptionsGeneralPage::load(feed)) {}

    OptionsGeneralPage& general() { return general_; }
    // Opens the Display tab, loading the page the first time.
    OptionsDisplayPage& display();
    bool displayOpened() const { return display_.has_value(); }

    // Ticks, clears or selects the control of an option (see OptionTable.h for the names and their
    // values), opening the page that shows it. Nothing changes for an unknown name or a bad value.
    OptionChange setOption(std::u16string_view name, std::u16string_view value);

    // True when every page applied wrote corvane.xml.
    bool ok();

  private:
    RSSObject& feed_;
    OptionsGeneralPage general_;
    std::optional<OptionsDisplayPage> display_;
};

}  // namespace corvane::dialogs
