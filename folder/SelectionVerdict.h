#pragma once

#include <string>
#include <vector>

// What the folder context menu makes of a selection. The shell gives the selected paths; only one
// folder that is not a drive root gets the menu, and whether it is a news folder decides which of
// Create and Remove is enabled.
namespace corvane::folder {

struct SelectionVerdict {
    bool accepted = false;
    bool isNewsFolder = false;
};

SelectionVerdict judgeSelection(const std::vector<std::u16string>& paths);

}  // namespace corvane::folder
