#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A folder of news folders seen as a subscription list: which news folders lie below a folder, and
// in which plain folders. On Windows the calling thread needs a COM apartment (corvane.xml is read).
namespace corvane::folder {

inline constexpr size_t kMaxFeedTreeDepth = 64;

struct FeedTreeEntry {
    std::u16string name;  // the folder's own name (for the top, its whole path's last part)
    std::u16string path;
    bool newsFolder = false;
    // A news folder's settings: its feed URL and the channel's title and link as last updated.
    std::u16string url;
    std::u16string title;
    std::u16string link;
    // A plain folder's folders that are news folders or hold some, by name.
    std::vector<FeedTreeEntry> children;
};

// The tree below `dir`, `dir` included: news folders are not looked into, plain folders that hold no
// news folder (however deep) are left out, a folder reached a second time through a link is passed
// over, and nothing deeper than kMaxFeedTreeDepth is looked at. Folders that cannot be read count
// as empty.
FeedTreeEntry scanFeedTree(std::u16string_view dir);

// Whether a news folder lies at most `depth` levels below `dir` (1: among its own folders), looking
// at no more than `budget` folders: a quick answer for a menu, not a walk of a whole disk.
bool holdsNewsFolders(std::u16string_view dir, size_t depth = 3, size_t budget = 2000);

// Every news folder of the tree in order, with its path relative to the tree's top ("Tech/Blog",
// the top's own name when the top is a news folder).
void forEachNewsFolder(
    const FeedTreeEntry& tree,
    const std::function<void(const FeedTreeEntry& entry, const std::u16string& relative)>& visit);

}  // namespace corvane::folder
