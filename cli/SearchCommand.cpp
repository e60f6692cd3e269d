// search: the find bar's match over one or many news folders, newest message first.
#include <algorithm>
#include <filesystem>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Json.h"
#include "cli/OpenFolder.h"
#include "feedstore/Options.h"
#include "itempage/MarkupText.h"
#include "platform/Utf.h"
#include "view/MessageList.h"
#include "view/MessageSearch.h"

namespace corvane::cli {
namespace {

struct Found {
    std::string folder;
    size_t row;
    std::u16string id;
    std::u16string title;
    std::u16string date;
    bool unread;
    bool hasDate;
    FileTime when;
};

// DIR itself and, with `recursive`, every news folder below it; a DIR that is no news folder is
// an error only when nothing is searched below it.
std::vector<std::string> foldersToSearch(const std::string& dir, bool recursive) {
    std::vector<std::string> folders;
    const std::u16string path = absoluteFolder(dir);
    if (!recursive || folder::isNewsFolder(path)) folders.push_back(dir);
    if (!recursive) return folders;
    requireFolder(dir, path);
    std::error_code error;
    std::filesystem::recursive_directory_iterator walk(
        std::filesystem::path(path), std::filesystem::directory_options::skip_permission_denied, error);
    std::vector<std::string> below;
    for (; !error && walk != std::filesystem::recursive_directory_iterator(); walk.increment(error)) {
        if (!walk->is_directory(error) || walk->is_symlink(error)) continue;
        const std::u16string found = walk->path().u16string();
        if (folder::isNewsFolder(found)) below.push_back(toUtf8(found));
    }
    std::sort(below.begin(), below.end());
    folders.insert(folders.end(), below.begin(), below.end());
    return folders;
}

void searchFolder(const std::string& dir, const MessageQuery& query, std::vector<Found>& found) {
    OpenFolder folder = openNewsFolder(dir, true);
    const RSSObject& feed = *folder.feed;
    // Rows of the list in store order, as `list` numbers them without --sort.
    for (size_t row = 0; row < feed.items.size(); ++row) {
        const RSSItem& item = *feed.items[row];
        if (!query.matches(item)) continue;
        std::u16string date = item.hasDate ? messagelist::formatDateCell(item.publishedTime,
                                                                         options::datesAreDayMonthYear(feed),
                                                                         options::datesShowTime(feed))
                                           : u"";
        found.push_back({dir, row, item.id, markupAsText(item.title), std::move(date), item.unread,
                         item.hasDate, item.publishedFileTime});
    }
}

std::string oneLine(std::u16string text) {
    for (char16_t& c : text)
        if (c == u'\t' || c == u'\n' || c == u'\r') c = u' ';
    return toUtf8(text);
}

}  // namespace

int runSearch(const Arguments& arguments) {
    const std::string& query = arguments.required(0, "QUERY");
    arguments.required(1, "DIR");
    const MessageQuery words(fromUtf8(query));
    if (words.empty()) throw UsageError("QUERY has no words to search for");
    const bool recursive = arguments.flag("--recursive");
    std::vector<Found> found;
    for (size_t n = 1; n < arguments.positional().size(); ++n) {
        const std::string& dir = arguments.positional()[n];
        std::vector<std::string> folders = foldersToSearch(dir, recursive);
        if (folders.empty()) throw CommandError("no news folder in " + dir);
        for (const std::string& folder : folders)
            searchFolder(folder, words, found);
    }
    // Newest first; undated messages last, each folder's in row order.
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.hasDate != b.hasDate) return a.hasDate;
        return a.hasDate && a.when > b.when;
    });
    std::string out;
    if (arguments.flag("--json")) {
        out = "[";
        for (size_t n = 0; n < found.size(); ++n) {
            const Found& f = found[n];
            out += (n ? ",\n " : "\n ") + std::string("{\"folder\": ") + jsonString(fromUtf8(f.folder)) +
                   ", \"row\": " + std::to_string(f.row) + ", \"id\": " + jsonString(f.id) +
                   ", \"title\": " + jsonString(f.title) + ", \"date\": " + jsonString(f.date) +
                   ", \"unread\": " + (f.unread ? "true" : "false") + "}";
        }
        out += found.empty() ? "]\n" : "\n]\n";
    } else {
        out = "folder\trow\tdate\ttitle\n";
        for (const Found& f : found)
            out += oneLine(fromUtf8(f.folder)) + "\t" + std::to_string(f.row) + "\t" + toUtf8(f.date) + "\t" +
                   oneLine(f.title) + "\n";
    }
    writeOut(out);
    return 0;
}

}  // namespace corvane::cli
