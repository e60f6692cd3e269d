#pragma once

#include <array>
#include <span>
#include <string_view>

#include "feedstore/RSSObject.h"

// The six per-folder options the Options pages edit: for each, the page that shows it, the two values
// the pages write and the value the rest of the system acts on, whatever the file holds.
namespace corvane::dialogs {

enum class OptionsPageKind { General, Display };

struct OptionDescription {
    std::u16string_view name;
    OptionsPageKind page;
    std::array<std::u16string_view, 2> values;
    // One of `values`: how the option's reader takes what the feed object holds (absent included).
    std::u16string_view (*effectiveValue)(const RSSObject& feed);
};

// In the pages' order: "openOnDoubleClick", "rememberPosition", "dontShowDeleteConfirm",
// "splitterWindow", "formatTime", "displayTime".
std::span<const OptionDescription> optionTable();

// The option of exactly this name, case included; null for any other.
const OptionDescription* findOption(std::u16string_view name);

// True for one of the option's two values, spelled exactly.
bool allowsValue(const OptionDescription& option, std::u16string_view value);

}  // namespace corvane::dialogs
