// list, show, label and delete: the message list's rows, addressed as the list numbers them.
#include <algorithm>
#include <map>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Json.h"
#include "cli/OpenFolder.h"
#include "feedstore/ReadState.h"
#include "itempage/ItemPage.h"
#include "itempage/WebLink.h"
#include "platform/FileReplace.h"
#include "platform/OpenLink.h"
#include "platform/Utf.h"
#include "view/MessageList.h"
#include "view/StatusText.h"

namespace corvane::cli {
namespace {

int columnNamed(const std::string& name) {
    static const std::map<std::string, int> columns{{"title", kColumnTitle},
                                                    {"description", kColumnDescription},
                                                    {"link", kColumnLink},
                                                    {"date", kColumnDate}};
    auto found = columns.find(name);
    if (found == columns.end())
        throw UsageError("--sort takes title, description, link or date, not '" + name + "'");
    return found->second;
}

// The rows a command names, read and checked before the folder is touched: usage errors come first.
struct RowSelection {
    std::optional<int> sortColumn;  // store order without one
    bool ascending = true;
    std::vector<int> rows;
    std::vector<std::string> ids;
};

RowSelection parseSelection(const Arguments& arguments, size_t firstRow) {
    RowSelection selection;
    bool ascending = arguments.flag("--ascending");
    bool descending = arguments.flag("--descending");
    if (ascending && descending) throw UsageError("--ascending and --descending exclude each other");
    if (std::optional<std::string> sort = arguments.option("--sort")) {
        selection.sortColumn = columnNamed(*sort);
        selection.ascending = !descending;
    } else if (ascending || descending) {
        throw UsageError("--ascending and --descending need --sort");
    }
    const std::vector<std::string>& positional = arguments.positional();
    for (size_t i = firstRow; i < positional.size(); ++i)
        selection.rows.push_back(parseInteger(positional[i], "a row"));
    selection.ids = arguments.options("--id");
    return selection;
}

void applySort(const RowSelection& selection, RSSDatabase& collection) {
    // Rows are numbered as the news view numbers them, which sorts by the text its cells show.
    collection.setShownText(&messagelist::shownSortText);
    if (selection.sortColumn) collection.sort(*selection.sortColumn, selection.ascending);
}

// The items of the selection's rows and ids, each once, in the order named.
std::vector<RSSItem*> chosenItems(const RowSelection& selection, const OpenFolder& folder) {
    const RSSDatabase& collection = *folder.collection;
    const bool configured = folder.feed->isConfigured();
    std::vector<RSSItem*> items;
    auto add = [&items](RSSItem* item) {
        if (std::find(items.begin(), items.end(), item) == items.end()) items.push_back(item);
    };
    for (int row : selection.rows) {
        RSSItem* item = configured ? collection.itemAt(row) : nullptr;
        if (!item)
            throw CommandError("no message in row " + std::to_string(row) + ": the list has " +
                               std::to_string(configured ? collection.count() : 0) + " messages");
        add(item);
    }
    for (const std::string& id : selection.ids) {
        std::u16string wanted = fromUtf8(id);
        auto match = std::find_if(folder.feed->items.begin(), folder.feed->items.end(),
                                  [&wanted](const auto& item) { return item->id == wanted; });
        if (match == folder.feed->items.end()) throw CommandError("no message has the id " + id);
        add(match->get());
    }
    return items;
}

std::string oneLine(std::u16string text) {
    for (char16_t& c : text)
        if (c == u'\t' || c == u'\n' || c == u'\r') c = u' ';
    return toUtf8(text);
}

// The keys of a message's own fields beside its cells: empty texts and a null enclosure where it
// has none.
std::string itemJsonKeys(const RSSItem* item) {
    static const RSSItem none;
    if (!item) item = &none;
    std::string out = ", \"guid\": " + jsonString(item->guid) + ", \"author\": " + jsonString(item->author) +
                      ", \"content\": " + jsonString(item->content) + ", \"enclosure\": ";
    if (!item->enclosure) return out + "null";
    return out + "{\"url\": " + jsonString(item->enclosure->url) +
           ", \"length\": " + std::to_string(item->enclosure->length) +
           ", \"type\": " + jsonString(item->enclosure->type) + "}";
}

}  // namespace

int runList(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    RowSelection selection = parseSelection(arguments, 1);
    OpenFolder folder = openNewsFolder(dir, true);
    applySort(selection, *folder.collection);
    const RSSObject& feed = *folder.feed;
    const bool json = arguments.flag("--json");
    // Rows keep the numbers of the whole list, so `read DIR ROW` names what this printed.
    const bool unreadOnly = arguments.flag("--unread");
    bool first = true;
    std::string out = json ? "[" : "row\ttitle\tdescription\tlink\tdate\tlabel\tid\n";
    size_t rows = messagelist::rowCount(feed, *folder.collection);
    for (size_t row = 0; row < rows; ++row) {
        int r = static_cast<int>(row);
        const RSSItem* item = feed.isConfigured() ? folder.collection->itemAt(r) : nullptr;
        if (unreadOnly && !(item && item->unread)) continue;
        std::u16string cells[4];
        for (int kind = kColumnTitle; kind <= kColumnDate; ++kind)
            cells[kind] = messagelist::cellText(feed, *folder.collection, r, kind);
        int32_t label = item ? item->label : 0;
        std::u16string id = item ? item->id : u"";
        if (json) {
            out += (first ? "\n " : ",\n ") + std::string("{\"row\": ") + std::to_string(row) +
                   ", \"title\": " + jsonString(cells[0]) + ", \"description\": " + jsonString(cells[1]) +
                   ", \"link\": " + jsonString(cells[2]) + ", \"date\": " + jsonString(cells[3]) +
                   ", \"label\": " + std::to_string(label) + ", \"id\": " + jsonString(id) +
                   itemJsonKeys(item) + ", \"unread\": " + (item && item->unread ? "true" : "false") + "}";
        } else {
            out += std::to_string(row) + "\t" + oneLine(cells[0]) + "\t" + oneLine(cells[1]) + "\t" +
                   oneLine(cells[2]) + "\t" + oneLine(cells[3]) + "\t" + std::to_string(label) + "\t" +
                   toUtf8(id) + "\n";
        }
        first = false;
    }
    if (json) out += first ? "]\n" : "\n]\n";
    writeOut(out);
    return 0;
}

int runShow(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    RowSelection selection = parseSelection(arguments, 1);
    if (selection.rows.size() + selection.ids.size() != 1) throw UsageError("show takes one ROW or one --id");
    OpenFolder folder = openNewsFolder(dir, true);
    applySort(selection, *folder.collection);
    std::vector<RSSItem*> items = chosenItems(selection, folder);
    std::string page = toUtf8(renderItemDocument(*items[0]));
    if (std::optional<std::string> file = arguments.option("-o")) {
        FileReplaceResult written = replaceFileAtomically(absoluteFolder(*file), page);
        if (!written) throw CommandError("could not write " + *file + ": " + toUtf8(written.description));
    } else {
        writeOut(page);
    }
    return 0;
}

int runOpen(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    RowSelection selection = parseSelection(arguments, 1);
    if (selection.rows.size() + selection.ids.size() != 1) throw UsageError("open takes one ROW or one --id");
    OpenFolder folder = openNewsFolder(dir, true);
    applySort(selection, *folder.collection);
    const std::u16string& link = chosenItems(selection, folder)[0]->link;
    // Feed text decides the link, so only web links reach the browser, never another protocol handler.
    if (!isWebLink(link))
        throw CommandError("not opening '" + toUtf8(link) + "': only http and https links are opened");
    if (!openInBrowser(normalizeLink(link)))
        throw CommandError("the browser could not be started for " + toUtf8(link));
    return 0;
}

int runInfo(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    OpenFolder folder = openNewsFolder(dir, true);
    const RSSObject& feed = *folder.feed;
    writeOut("title: " + oneLine(feed.title) + "\nlink: " + oneLine(feed.link) +
             "\ndescription: " + oneLine(feed.description) + "\nurl: " + oneLine(feed.url) +
             "\nmessages: " + std::to_string(folder.collection->count()) +
             "\nunread: " + std::to_string(unreadCount(feed.items)) +
             "\nstatus: " + oneLine(statusText(feed, *folder.collection)) + "\n");
    return 0;
}

int runLabel(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    int label = parseInteger(arguments.required(1, "N"), "N");
    if (label < 0 || label >= messagelist::kLabelCount) throw UsageError("N is a label from 0 to 5");
    RowSelection selection = parseSelection(arguments, 2);
    if (selection.rows.empty() && selection.ids.empty()) throw UsageError("name at least one ROW or --id");
    OpenFolder folder = openNewsFolder(dir, true);
    applySort(selection, *folder.collection);
    for (RSSItem* item : chosenItems(selection, folder))
        item->label = label;
    storeFolder(folder);
    return 0;
}

namespace {

// read and unread: the rows' (or ids') messages, or with --all every message, given the state.
int setReadState(const Arguments& arguments, bool unread) {
    const std::string& dir = arguments.required(0, "DIR");
    RowSelection selection = parseSelection(arguments, 1);
    const bool all = !unread && arguments.flag("--all");
    if (all && (!selection.rows.empty() || !selection.ids.empty()))
        throw UsageError("--all names every message; give no ROW or --id with it");
    if (!all && selection.rows.empty() && selection.ids.empty())
        throw UsageError(unread ? "name at least one ROW or --id"
                                : "name at least one ROW or --id, or give --all");
    OpenFolder folder = openNewsFolder(dir, true);
    applySort(selection, *folder.collection);
    size_t changed =
        all ? markAllRead(folder.feed->items) : setUnread(chosenItems(selection, folder), unread);
    if (changed) storeFolder(folder);
    writeError(std::to_string(changed) + " message(s) marked " + (unread ? "unread" : "read") + ", " +
               std::to_string(unreadCount(folder.feed->items)) + " unread\n");
    return 0;
}

}  // namespace

int runRead(const Arguments& arguments) {
    return setReadState(arguments, false);
}

int runUnread(const Arguments& arguments) {
    return setReadState(arguments, true);
}

int runDelete(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    RowSelection selection = parseSelection(arguments, 1);
    if (selection.rows.empty() && selection.ids.empty()) throw UsageError("name at least one ROW or --id");
    OpenFolder folder = openNewsFolder(dir, true);
    applySort(selection, *folder.collection);
    std::vector<RSSItem*> doomed = chosenItems(selection, folder);
    if (messagelist::deleteAsksFirst(*folder.feed) && !arguments.flag("--yes")) {
        if (!inputIsTerminal())
            throw CommandError("not deleting without a question; run it on a terminal or give --yes");
        if (!askYesNo(toUtf8(messagelist::kDeleteQuestion))) {
            writeError("nothing deleted\n");
            return 1;
        }
    }
    folder.collection->remove(doomed);
    storeFolder(folder);
    writeError("deleted " + std::to_string(doomed.size()) + " message(s)\n");
    return 0;
}

}  // namespace corvane::cli
