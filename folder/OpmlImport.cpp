#include "folder/OpmlImport.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "dialogs/OptionPages.h"
#include "feedstore/RSSObject.h"
#include "folder/FeedTree.h"
#include "folder/FolderName.h"
#include "folder/FolderSystem.h"
#include "folder/NewsFolder.h"
#include "platform/Status.h"
#include "platform/Trace.h"
#include "retrieval/InternetSession.h"

namespace corvane::folder {
namespace {

namespace fs = std::filesystem;

// A write that failed: the import stops and takes back what it made.
struct ImportStop {
    std::u16string reason;
};

std::u16string folded(std::u16string_view name) {
    std::u16string out(name);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

// A folder that feeds go into: the target, or a group's folder, made when the first feed needs it.
struct Place {
    Place* parent = nullptr;
    std::u16string wantedName;  // a group's safe name
    std::u16string path;        // set once it exists
    std::u16string relative;    // relative to the target
    bool loaded = false;
    std::set<std::u16string> names;      // what the folder holds, folded
    std::set<std::u16string> plainDirs;  // the plain folders among them, folded
};

bool sameFeedType(std::u16string_view type) {
    std::u16string lower = folded(type);
    return lower.empty() || lower == u"rss" || lower == u"atom";
}

// Why an http(s) feed URL cannot be a news folder's, or empty when it can.
std::u16string urlRefusal(const std::u16string& url) {
    if (!retrieval::isWebUrl(url) || urlHost(url).empty()) return u"only http and https feed URLs are taken";
    for (char16_t c : url)
        if (c <= 0x20 || c == 0x7F) return u"the URL holds spaces or control characters";
    if (url.size() > dialogs::OptionsGeneralPage::kUrlMaxLength)
        return u"the URL is longer than 299 characters";
    return {};
}

class Importer {
  public:
    Importer(std::u16string_view dir, ImportReport& report) : report_(report) {
        top_.path = std::u16string(dir);
        FeedTreeEntry tree = scanFeedTree(dir);
        forEachNewsFolder(tree, [this](const FeedTreeEntry& entry, const std::u16string& relative) {
            if (!entry.url.empty()) known_.emplace(entry.url, relative);
        });
    }

    void importAll(const std::vector<opml::Outline>& outlines) { importLevel(outlines, top_); }

    // Newest first, so each folder is empty by the time its turn comes: nothing but what this run
    // wrote is ever deleted.
    void takeBack() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            if (isNewsFolder(*it)) removeNewsFolder(*it);
            std::error_code error;
            if (!fs::remove(fs::path(*it), error) || error)
                traceError(u"The folder %s could not be removed again", kStatusFail, *it);
        }
        report_.madeFolders.clear();
    }

  private:
    void importLevel(const std::vector<opml::Outline>& outlines, Place& place) {
        for (const opml::Outline& outline : outlines) {
            if (outline.isFeed()) {
                importFeed(outline, place);
                // A feed's own outlines are read as its neighbours: a news folder holds no folders.
                importLevel(outline.children, place);
                continue;
            }
            if (outline.children.empty()) continue;
            auto group = std::make_unique<Place>();
            group->parent = &place;
            group->wantedName = safeFolderName(outline.title);
            if (group->wantedName.empty()) group->wantedName = u"Feeds";
            importLevel(outline.children, *group);
        }
    }

    void importFeed(const opml::Outline& outline, Place& place) {
        const std::u16string& url = outline.xmlUrl;
        ImportLine line;
        line.url = url;
        line.name = outline.title.empty() ? url : outline.title;
        line.action = ImportAction::Skipped;
        if (!sameFeedType(outline.type)) {
            line.reason = u"its type \"" + outline.type + u"\" is no feed";
            report_.lines.push_back(std::move(line));
            return;
        }
        if (std::u16string refusal = urlRefusal(url); !refusal.empty()) {
            line.reason = refusal;
            line.failed = true;
            report_.lines.push_back(std::move(line));
            return;
        }
        if (auto listed = listed_.find(url); listed != listed_.end()) {
            line.reason = u"listed before, as " + listed->second;
            report_.lines.push_back(std::move(line));
            return;
        }
        if (auto existing = known_.find(url); existing != known_.end()) {
            line.action = ImportAction::Kept;
            line.name = existing->second;
            line.reason = u"already read there";
            listed_.emplace(url, existing->second);
            report_.lines.push_back(std::move(line));
            return;
        }
        std::u16string name = safeFolderName(outline.title);
        if (name.empty()) name = safeFolderName(urlHost(url));
        if (name.empty()) name = u"Feed";
        ensure(place);
        name = unusedFolderName(
            name, [&](const std::u16string& candidate) { return place.names.count(folded(candidate)) != 0; });
        std::u16string path = joinPath(place.path, name);
        makeFolder(path, place, name, false);
        FolderResult created = createNewsFolder(path);
        if (created.status != FolderStatus::Done) throw ImportStop{u"could not write " + created.file};
        std::unique_ptr<RSSObject> feed =
            loadRSSObject(joinPath(path, kSettingsFile), joinPath(path, kItemsFile));
        if (!feed) throw ImportStop{u"out of memory"};
        feed->url = url;
        // Shown until the first update brings the channel's own.
        feed->title = outline.title;
        feed->link = outline.htmlUrl;
        if (!feed->storeSettings()) throw ImportStop{u"could not write " + feed->settingsPath};
        line.action = ImportAction::Made;
        line.name = place.relative.empty() ? name : place.relative + u"/" + name;
        listed_.emplace(url, line.name);
        report_.madeFolders.push_back(path);
        report_.lines.push_back(std::move(line));
    }

    // Makes the place's folder (and its parents') when missing, and reads what it holds.
    void ensure(Place& place) {
        if (place.path.empty()) {
            ensure(*place.parent);
            Place& parent = *place.parent;
            std::u16string name = place.wantedName;
            if (!parent.plainDirs.count(folded(name))) {
                name = unusedFolderName(name, [&](const std::u16string& candidate) {
                    return parent.names.count(folded(candidate)) != 0 &&
                           !parent.plainDirs.count(folded(candidate));
                });
                // An existing plain folder of that name is used as it is.
                if (!parent.plainDirs.count(folded(name)))
                    makeFolder(joinPath(parent.path, name), parent, name, true);
            } else {
                // Use the existing folder's own spelling.
                for (const auto& entry : fs::directory_iterator(fs::path(parent.path))) {
                    std::u16string existing = entry.path().filename().u16string();
                    if (sameFolderName(existing, name)) name = existing;
                }
            }
            place.path = joinPath(parent.path, name);
            place.relative = parent.relative.empty() ? name : parent.relative + u"/" + name;
        }
        if (place.loaded) return;
        place.loaded = true;
        std::error_code error;
        for (fs::directory_iterator it(fs::path(place.path), error); !error && it != fs::directory_iterator();
             it.increment(error)) {
            std::u16string name = folded(it->path().filename().u16string());
            place.names.insert(name);
            std::error_code kind;
            if (it->is_directory(kind) && !isNewsFolder(it->path().u16string())) place.plainDirs.insert(name);
        }
        if (error) throw ImportStop{u"could not read the folder " + place.path};
    }

    void makeFolder(const std::u16string& path, Place& parent, const std::u16string& name, bool plain) {
        std::error_code error;
        if (!fs::create_directory(fs::path(path), error) || error)
            throw ImportStop{u"could not make the folder " + path};
        made_.push_back(path);
        parent.names.insert(folded(name));
        if (plain) parent.plainDirs.insert(folded(name));
    }

    ImportReport& report_;
    Place top_;
    std::map<std::u16string, std::u16string> known_;   // URL -> news folder below the target
    std::map<std::u16string, std::u16string> listed_;  // URL -> where this run put or kept it
    std::vector<std::u16string> made_;                 // folders this run made, in order
};

}  // namespace

bool ImportReport::anyFailed() const {
    if (!error.empty()) return true;
    for (const ImportLine& line : lines)
        if (line.failed) return true;
    return false;
}

ImportReport importOutlines(const std::vector<opml::Outline>& outlines, std::u16string_view dir) {
    ImportReport report;
    bool madeTarget = false;
    if (examinePath(dir) == PathKind::Missing) {
        std::error_code error;
        if (!fs::create_directory(fs::path(std::u16string(dir)), error) || error) {
            report.error = u"the folder " + std::u16string(dir) + u" could not be made";
            return report;
        }
        madeTarget = true;
    }
    switch (checkFolder(dir)) {
        case FolderStatus::Done:
            break;
        case FolderStatus::IsRoot:
            break;  // a drive of subscriptions is fine: only the folders below become news folders
        default:
            report.error = std::u16string(dir) + u" is not a folder";
            return report;
    }
    if (isNewsFolder(dir)) {
        report.error = std::u16string(dir) + u" is a news folder; import into a plain folder";
        return report;
    }
    Importer importer(dir, report);
    try {
        importer.importAll(outlines);
    } catch (const ImportStop& stop) {
        traceError(u"The import into %s stopped: %s", kStatusFail, dir, stop.reason);
        importer.takeBack();
        report.error = stop.reason + u"; what this import had made was removed again";
    } catch (const std::exception& error) {
        traceError(u"The import into %s stopped: %s", kStatusFail, dir, error.what());
        importer.takeBack();
        report.error = u"the import stopped by an error; what it had made was removed again";
    }
    if (!report.error.empty() && madeTarget) {
        std::error_code ignored;
        fs::remove(fs::path(std::u16string(dir)), ignored);
    }
    return report;
}

ImportReport importOpmlFile(std::u16string_view opmlPath, std::u16string_view dir) {
    ImportReport report;
    fs::path path{std::u16string(opmlPath)};
    std::error_code error;
    uintmax_t size = fs::file_size(path, error);
    if (error) {
        report.error = std::u16string(opmlPath) + u" cannot be read";
        return report;
    }
    opml::OpmlReadResult read;
    if (size > opml::kMaxOpmlBytes) {
        read.error = u"the file is larger than 16 MB";
    } else {
        std::ifstream file(path, std::ios::binary);
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
            report.error = std::u16string(opmlPath) + u" cannot be read";
            return report;
        }
        read = opml::readOpml(bytes);
    }
    if (!read.ok) {
        report.error = std::u16string(opmlPath) + u" is not imported: " + read.error;
        return report;
    }
    return importOutlines(read.outlines, dir);
}

}  // namespace corvane::folder
