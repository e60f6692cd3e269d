#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "feedstore/OpmlDocument.h"

// Bringing a subscription list in: one news folder per feed outline, one plain folder per group of
// them. On Windows the calling thread needs a COM apartment (corvane.xml is written).
namespace corvane::folder {

enum class ImportAction {
    Made,     // a news folder was made for the outline
    Kept,     // a news folder below the target already reads the feed
    Skipped,  // nothing was made; `reason` says why
};

struct ImportLine {
    ImportAction action = ImportAction::Made;
    std::u16string name;  // Made, Kept: the news folder relative to the target; Skipped: the outline's title
    std::u16string url;
    std::u16string reason;  // Kept: where the feed is read already; Skipped: why
    bool failed = false;    // Skipped because the outline could not be made (not because it is no feed
                            // or was listed before)
};

struct ImportReport {
    // Empty when the import ran; else why nothing at all was imported (and whatever this run had
    // made is removed again).
    std::u16string error;
    std::vector<ImportLine> lines;
    std::vector<std::u16string> madeFolders;  // full paths of the news folders made, in order

    bool anyFailed() const;
};

// Imports the OPML file into `dir`, made when missing (its parent must exist).
ImportReport importOpmlFile(std::u16string_view opmlPath, std::u16string_view dir);

// The outlines into `dir`: a feed outline (http or https xmlUrl, type rss, atom or none) becomes a
// news folder named from its title (else the URL's host) made safe, its URL, title and htmlUrl
// set; a group becomes a plain folder (an existing plain folder of that name is used) made only when
// a feed goes into it. A feed whose URL a news folder anywhere below `dir` reads already is kept,
// a URL listed twice is made once, and a name taken by anything else gets " (2)", " (3)", ... When
// a folder or file cannot be written the import stops and removes what this run made.
ImportReport importOutlines(const std::vector<opml::Outline>& outlines, std::u16string_view dir);

}  // namespace corvane::folder
