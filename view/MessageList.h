#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "feedstore/RSSDatabase.h"
#include "feedstore/RSSObject.h"

// What the message list shows and does, decided without a window: the list control wrapper and the
// view translate notifications into these calls.
namespace corvane::messagelist {

inline constexpr char16_t kNotConfiguredText[] =
    u"Corvane is not configured. Double-click to proceed with configuration.";
inline constexpr char16_t kDeleteQuestion[] =
    u"Are you sure you wish to permanently delete the selected message(s)?";

// The date cell's text in one of its four forms; at most 19 characters for dates within the calendar.
std::u16string formatDateCell(const SystemTime& time, bool dayMonthYear, bool withTime);

// The text of one cell: row `row` (display order), column kind 0 to 3. An unconfigured feed has one
// row whose Title cell is the "not configured" text; a row beyond the collection has no text. Title
// and Description show the text of their markup (markupAsText), at most `limit` characters of it.
std::u16string cellText(const RSSObject& feed, const RSSDatabase& collection, int row, int kind,
                        size_t limit = std::u16string::npos);

// What the Title and Description cells show of a field, as far as sorting looks at it; give it to
// the collection (RSSDatabase::setShownText) so that those columns sort by what is shown.
std::u16string shownSortText(std::u16string_view field);

// Whether the row shows the unread mark: a message of a configured feed that is unread.
bool rowIsUnread(const RSSObject& feed, const RSSDatabase& collection, int row);

// The number of rows the list shows.
size_t rowCount(const RSSObject& feed, const RSSDatabase& collection);

// A header click: a new column sorts ascending, the same column flips its direction.
struct SortOrder {
    int kind;
    bool ascending;
};
SortOrder sortAfterHeaderClick(int clickedKind);

// How a row with a label is drawn: labels 1 to 4 colour the text, 5 makes it bold.
struct LabelStyle {
    bool coloured = false;
    uint8_t red = 0, green = 0, blue = 0;
    bool bold = false;
};
LabelStyle labelStyle(int32_t label);
constexpr int kLabelCount = 6;  // 0 (none) to 5

// The label a key of the main keyboard sets (virtual keys '0' to '5'), or none.
std::optional<int32_t> labelForKey(int virtualKey);

// Sets the label of the items of the given rows; rows without an item are skipped.
void setLabel(const RSSDatabase& collection, const std::vector<int>& rows, int32_t label);

// The items of the given rows, in row order, for deletion; rows without an item are skipped.
std::vector<RSSItem*> itemsOfRows(const RSSDatabase& collection, std::vector<int> rows);

// A message shown this long in the page counts as read: arrowing through the list past it does not.
inline constexpr unsigned kMarkReadDelayMs = 1000;

// The state Ctrl+Q (read) and Ctrl+U (unread) give the selected messages, as in mail readers; no
// answer for any other key or with Alt or Shift held as well.
std::optional<bool> unreadForKey(int virtualKey, bool control, bool otherModifier);

// Marks the message with the id read, wherever it now stands in the list; whether it was unread.
bool markReadById(RSSObject& feed, std::u16string_view id);

// Whether deleting asks first ("dontShowDeleteConfirm" other than "on").
bool deleteAsksFirst(const RSSObject& feed);

// The message a row shows: none for the not-configured row of an unconfigured feed (whatever is
// stored stays hidden behind it) or for a row beyond the collection.
RSSItem* itemOfRow(const RSSObject& feed, const RSSDatabase& collection, int row);

// The messages the selected rows show, in row order, each once: what a label or a deletion acts on,
// resolved before any box or menu can let the list change under it. None while unconfigured.
std::vector<RSSItem*> itemsOfSelection(const RSSObject& feed, const RSSDatabase& collection,
                                       std::vector<int> rows);

// The rows that show the given messages now, after a sort or a merge moved them, ascending; a message
// no longer in the collection has none.
std::vector<int> rowsOfItems(const RSSDatabase& collection, const std::vector<RSSItem*>& items);

// Sets the label of the given messages.
void setLabel(const std::vector<RSSItem*>& items, int32_t label);

}  // namespace corvane::messagelist
