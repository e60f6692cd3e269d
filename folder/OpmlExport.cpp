#include "folder/OpmlExport.h"

namespace corvane::folder {
namespace {

bool appendOutline(const FeedTreeEntry& entry, std::vector<opml::Outline>& out) {
    opml::Outline outline;
    if (entry.newsFolder) {
        // A news folder without a feed has nothing another reader could subscribe to.
        if (entry.url.empty()) return false;
        outline.title = entry.title.empty() ? entry.name : entry.title;
        outline.xmlUrl = entry.url;
        outline.htmlUrl = entry.link;
        outline.type = u"rss";
    } else {
        outline.title = entry.name;
        for (const FeedTreeEntry& child : entry.children)
            appendOutline(child, outline.children);
        if (outline.children.empty()) return false;
    }
    out.push_back(std::move(outline));
    return true;
}

size_t countFeeds(const std::vector<opml::Outline>& outlines) {
    size_t count = 0;
    for (const opml::Outline& outline : outlines)
        count += (outline.isFeed() ? 1 : 0) + countFeeds(outline.children);
    return count;
}

}  // namespace

std::vector<opml::Outline> outlinesOfTree(const FeedTreeEntry& tree) {
    std::vector<opml::Outline> outlines;
    if (tree.newsFolder) {
        appendOutline(tree, outlines);
        return outlines;
    }
    for (const FeedTreeEntry& child : tree.children)
        appendOutline(child, outlines);
    return outlines;
}

std::string exportOpml(std::u16string_view dir, size_t& feeds) {
    FeedTreeEntry tree = scanFeedTree(dir);
    std::vector<opml::Outline> outlines = outlinesOfTree(tree);
    feeds = countFeeds(outlines);
    return opml::writeOpml(tree.name, outlines);
}

}  // namespace corvane::folder
