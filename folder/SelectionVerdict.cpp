#include "folder/SelectionVerdict.h"

#include "folder/NewsFolder.h"

namespace corvane::folder {

SelectionVerdict judgeSelection(const std::vector<std::u16string>& paths) {
    if (paths.size() != 1 || checkFolder(paths.front()) != FolderStatus::Done) return {};
    return {true, isNewsFolder(paths.front())};
}

}  // namespace corvane::folder
