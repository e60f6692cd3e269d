#pragma once
// A store ends in room for messages to come: after its root, a processing instruction of spaces
// that readers pass over. An update writes its messages into the room in place and then moves the
// root's end after them with one write of a single disk sector (FolderSave.h).

#include <string_view>

namespace corvane {

// The room's instruction target: the one instruction after the root that the byte screen lets by.
inline constexpr std::string_view kStoreRoomTarget = "corvane-room";
inline constexpr std::string_view kStoreEnd = "</channel></rss>\n<?corvane-room";
inline constexpr std::string_view kStoreRoomEnd = "?>\n";
static_assert(kStoreEnd.ends_with(kStoreRoomTarget));

}  // namespace corvane
