// import and export: subscription lists (OPML) in and out of a folder of news folders.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/OpenFolder.h"
#include "cli/UpdateAll.h"
#include "folder/OpmlExport.h"
#include "folder/OpmlImport.h"
#include "platform/FileReplace.h"
#include "platform/Utf.h"

namespace corvane::cli {
namespace {

std::string importLine(const folder::ImportLine& line) {
    std::string url = toUtf8(line.url);
    switch (line.action) {
        case folder::ImportAction::Made:
            return "made " + toUtf8(line.name) + " (" + url + ")\n";
        case folder::ImportAction::Kept:
            return "kept " + toUtf8(line.name) + " (" + url + "): " + toUtf8(line.reason) + "\n";
        case folder::ImportAction::Skipped:
            return "skipped '" + toUtf8(line.name) + "' (" + url + "): " + toUtf8(line.reason) + "\n";
    }
    return {};
}

}  // namespace

int runImport(const Arguments& arguments) {
    const std::string& opmlFile = arguments.required(0, "OPML");
    const std::string& dir = arguments.required(1, "DIR");
    arguments.noMoreThan(2);
    std::u16string path = absoluteFolder(dir);
    folder::ImportReport report = folder::importOpmlFile(fromUtf8(opmlFile), path);
    std::string text;
    size_t made = 0, kept = 0, skipped = 0;
    for (const folder::ImportLine& line : report.lines) {
        text += importLine(line);
        made += line.action == folder::ImportAction::Made;
        kept += line.action == folder::ImportAction::Kept;
        skipped += line.action == folder::ImportAction::Skipped;
    }
    if (!report.error.empty()) {
        // What was made is gone again: its lines would mislead.
        writeError("corvane import: " + toUtf8(report.error) + "\n");
        return 1;
    }
    writeOut(text + std::to_string(made) + " made, " + std::to_string(kept) + " kept, " +
             std::to_string(skipped) + " skipped\n");
    int status = report.anyFailed() ? 1 : 0;
    if (arguments.flag("--update") && !report.madeFolders.empty()) {
        std::vector<folder::UpdateTarget> targets;
        for (const std::u16string& made : report.madeFolders) {
            std::u16string name = made.size() > path.size() + 1 ? made.substr(path.size() + 1) : made;
            for (char16_t& c : name)
                if (c == u'\\') c = u'/';
            targets.push_back({made, name});
        }
        int updated = reportUpdates(updateFolders(targets, folder::kDefaultUpdateJobs));
        if (updated != 0) status = updated;
    }
    return status;
}

int runExport(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    std::u16string path = absoluteFolder(dir);
    requireFolder(dir, path);
    size_t feeds = 0;
    std::string document = folder::exportOpml(path, feeds);
    std::optional<std::string> output = arguments.option("-o");
    if (!output) {
        writeOut(document);
        return 0;
    }
    if (FileReplaceResult written = replaceFileAtomically(fromUtf8(*output), document); !written)
        throw CommandError("could not write " + *output + ": " + toUtf8(written.description));
    writeError(std::to_string(feeds) + " feed(s) written to " + *output + "\n");
    return 0;
}

}  // namespace corvane::cli
