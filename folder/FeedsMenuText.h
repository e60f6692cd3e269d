#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "folder/FeedUpdateAll.h"
#include "folder/OpmlImport.h"

// What the folder menu's "Import feeds...", "Export feeds..." and "Update all feeds" show: the
// progress line and the one box at the end.
namespace corvane::folder {

// "Updating N of M: <name>".
std::u16string updateProgressText(size_t started, size_t total, std::u16string_view name);

// "Updated U of M feeds: K new messages." and, when any failed, a line per failure ("<name>: why").
std::u16string updateSummaryText(const std::vector<FeedUpdateOutcome>& outcomes);

// "Made N news folders, kept K, skipped S." and a line per outline that could not be made; the
// error alone when nothing was imported.
std::u16string importSummaryText(const ImportReport& report);

}  // namespace corvane::folder
