#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the view does with an ended update, decided without a window: whether the feed is stored and
// the list refreshed, and the text of the box that tells of a failure.
namespace corvane {

// The longest box text (with its terminator) the view shows; a longer one goes without the URL.
inline constexpr size_t kUpdateBoxTextLength = 2048;
inline constexpr char16_t kUpdateFailedCaption[] = u"Update failed";

struct UpdateOutcome {
    // Merged messages and ids go to the folder's files and the list takes the new rows.
    bool storeAndRefresh = false;
    // The failure box's text; none for a result that shows no box.
    std::optional<std::u16string> boxText;
};

// `result` is the worker's (UpdateResult); `userCancelled` when the user pressed Cancel, whatever the
// worker made of it. A download cancelled while it got no data ends as it can, failed most likely:
// it ends as a cancelled one does, without a box. An unknown result does nothing.
UpdateOutcome updateOutcome(uint32_t result, bool userCancelled, const std::u16string& url);

}  // namespace corvane
