#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "feedstore/OpmlDocument.h"
#include "folder/FeedTree.h"

// Taking a subscription list out: the news folders below a folder as OPML.
namespace corvane::folder {

// One feed outline per news folder with a feed URL (text and title: the channel title, else the
// folder's name; htmlUrl: the channel link), one group outline per plain folder holding some.
std::vector<opml::Outline> outlinesOfTree(const FeedTreeEntry& tree);

// The OPML document of the news folders below `dir` (see scanFeedTree); `feeds` gets their number.
// On Windows the calling thread needs a COM apartment.
std::string exportOpml(std::u16string_view dir, size_t& feeds);

}  // namespace corvane::folder
