#include "folder/FeedTree.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <utility>

#include "feedstore/RSSObject.h"
#include "folder/FolderSystem.h"
#include "folder/NewsFolder.h"

namespace corvane::folder {
namespace {

namespace fs = std::filesystem;

void readSettings(FeedTreeEntry& entry) {
    std::unique_ptr<RSSObject> feed =
        loadRSSObject(joinPath(entry.path, kSettingsFile), joinPath(entry.path, kItemsFile));
    if (!feed) return;
    entry.url = feed->url;
    entry.title = feed->title;
    entry.link = feed->link;
}

// The canonical path, so that a folder reached through a link is known again; the path itself when
// it has none.
std::u16string identityOf(const fs::path& path) {
    std::error_code error;
    fs::path canonical = fs::canonical(path, error);
    return (error ? path : canonical).u16string();
}

// Fills `entry`'s children; true when it holds a news folder.
bool scanChildren(FeedTreeEntry& entry, size_t depth, std::set<std::u16string>& visited) {
    if (depth >= kMaxFeedTreeDepth) return false;
    std::error_code error;
    fs::directory_iterator it(fs::path(entry.path), fs::directory_options::skip_permission_denied, error);
    if (error) return false;
    // Links come after real folders, so that a folder reached both ways is listed under its own name.
    std::vector<std::pair<bool, fs::path>> folders;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        std::error_code kind;
        if (it->is_directory(kind)) folders.emplace_back(it->is_symlink(kind), it->path());
    }
    std::sort(folders.begin(), folders.end());
    for (const auto& [isLink, path] : folders) {
        if (!visited.insert(identityOf(path)).second) continue;
        FeedTreeEntry child;
        child.name = path.filename().u16string();
        child.path = path.u16string();
        child.newsFolder = isNewsFolder(child.path);
        if (child.newsFolder)
            readSettings(child);
        else if (!scanChildren(child, depth + 1, visited))
            continue;
        entry.children.push_back(std::move(child));
    }
    std::sort(entry.children.begin(), entry.children.end(),
              [](const FeedTreeEntry& a, const FeedTreeEntry& b) { return a.name < b.name; });
    return !entry.children.empty();
}

void visitEntries(const FeedTreeEntry& entry, const std::u16string& relative,
                  const std::function<void(const FeedTreeEntry&, const std::u16string&)>& visit) {
    for (const FeedTreeEntry& child : entry.children) {
        std::u16string name = relative.empty() ? child.name : relative + u"/" + child.name;
        if (child.newsFolder)
            visit(child, name);
        else
            visitEntries(child, name, visit);
    }
}

bool findNewsFolder(const fs::path& dir, size_t depth, size_t& budget) {
    if (depth == 0) return false;
    std::error_code error;
    std::vector<fs::path> plain;
    for (fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code kind;
        if (!it->is_directory(kind) || it->is_symlink(kind)) continue;
        if (budget == 0) return false;
        --budget;
        if (isNewsFolder(it->path().u16string())) return true;
        plain.push_back(it->path());
    }
    for (const fs::path& folder : plain)
        if (findNewsFolder(folder, depth - 1, budget)) return true;
    return false;
}

}  // namespace

bool holdsNewsFolders(std::u16string_view dir, size_t depth, size_t budget) {
    return findNewsFolder(fs::path(std::u16string(dir)), depth, budget);
}

FeedTreeEntry scanFeedTree(std::u16string_view dir) {
    FeedTreeEntry top;
    top.path = std::u16string(dir);
    fs::path path(top.path);
    top.name = path.filename().u16string();
    if (top.name.empty()) top.name = path.parent_path().filename().u16string();
    top.newsFolder = isNewsFolder(top.path);
    if (top.newsFolder) {
        readSettings(top);
        return top;
    }
    std::set<std::u16string> visited{identityOf(path)};
    scanChildren(top, 0, visited);
    return top;
}

void forEachNewsFolder(
    const FeedTreeEntry& tree,
    const std::function<void(const FeedTreeEntry& entry, const std::u16string& relative)>& visit) {
    if (tree.newsFolder) {
        visit(tree, tree.name);
        return;
    }
    visitEntries(tree, u"", visit);
}

}  // namespace corvane::folder
