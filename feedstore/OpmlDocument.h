#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Subscription lists as other feed readers exchange them: OPML 1.0 and 2.0 read, OPML 2.0 written.
// Only what a list of feeds needs is kept; every other attribute and element is passed over.
namespace corvane::opml {

// Larger files are refused before they are parsed: a list of tens of thousands of feeds is a few MB.
inline constexpr size_t kMaxOpmlBytes = 16u * 1024 * 1024;
// Outlines nested deeper than this, or more than kMaxOutlines in all, make the document refused.
inline constexpr size_t kMaxOutlineDepth = 64;
inline constexpr size_t kMaxOutlines = 100000;

struct Outline {
    std::u16string title;  // "title", else "text"
    std::u16string xmlUrl;
    std::u16string htmlUrl;
    std::u16string type;
    std::vector<Outline> children;

    bool isFeed() const { return !xmlUrl.empty(); }
};

struct OpmlReadResult {
    bool ok = false;
    std::u16string error;  // why the document was refused, when not ok
    std::u16string title;  // the head's title
    std::vector<Outline> outlines;
};

// Reads the outlines of an OPML document's body. Never raises: a document that is not XML, not OPML,
// too large, too deep, or whose DOCTYPE could expand without bound is refused with a reason.
OpmlReadResult readOpml(std::span<const uint8_t> bytes);

// An OPML 2.0 document (UTF-8) with the title in its head and the outlines in its body. A feed is
// written with text and title, type="rss", xmlUrl and, when known, htmlUrl; a group with text and
// title around its children.
std::string writeOpml(std::u16string_view title, const std::vector<Outline>& outlines);

}  // namespace corvane::opml
