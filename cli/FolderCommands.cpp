// create, remove and config: what the folder's context menu and the Options dialog do.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/OpenFolder.h"
#include "dialogs/OptionPages.h"
#include "dialogs/OptionTable.h"
#include "folder/NewsFolder.h"
#include "platform/Utf.h"

namespace corvane::cli {
namespace {

std::string optionNames() {
    std::string names;
    for (const dialogs::OptionDescription& option : dialogs::optionTable())
        names += (names.empty() ? "" : ", ") + toUtf8(option.name);
    return names;
}

}  // namespace

int runCreate(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    std::u16string path = absoluteFolder(dir);
    folder::FolderResult result = folder::createNewsFolder(path);
    if (result.status == folder::FolderStatus::AlreadyNewsFolder) {
        writeError(dir + " already is a news folder; nothing changed\n");
        return 0;
    }
    raiseFolderFailure(result, dir);
    writeError(dir + " is now a news folder; give it a feed with: corvane config " + dir + " --url URL\n");
    return 0;
}

int runRemove(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    std::u16string path = absoluteFolder(dir);
    requireFolder(dir, path);
    if (!folder::isNewsFolder(path)) throw CommandError(dir + " is not a news folder; nothing changed");
    if (!arguments.flag("--yes")) {
        if (!inputIsTerminal())
            throw CommandError("not removing without a question; run it on a terminal or give --yes");
        if (!askYesNo(toUtf8(folder::removeQuestion(path)))) {
            writeError("nothing removed\n");
            return 1;
        }
    }
    raiseFolderFailure(folder::removeNewsFolder(path), dir);
    writeError(dir + " is a plain folder again\n");
    return 0;
}

int runConfig(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    // Every change is checked before anything is written.
    std::optional<std::string> url = arguments.option("--url");
    if (url && fromUtf8(*url).size() > dialogs::OptionsGeneralPage::kUrlMaxLength)
        throw UsageError("the feed URL takes at most 299 characters");
    std::vector<std::pair<std::u16string, std::u16string>> changes;
    for (const std::string& setting : arguments.options("--set")) {
        size_t equals = setting.find('=');
        if (equals == std::string::npos) throw UsageError("--set takes NAME=VALUE, not '" + setting + "'");
        std::u16string name = fromUtf8(setting.substr(0, equals));
        std::u16string value = fromUtf8(setting.substr(equals + 1));
        const dialogs::OptionDescription* option = dialogs::findOption(name);
        if (!option)
            throw UsageError("unknown option '" + toUtf8(name) + "'; the options are " + optionNames());
        if (!dialogs::allowsValue(*option, value))
            throw UsageError(toUtf8(name) + " takes " + toUtf8(option->values[0]) + " or " +
                             toUtf8(option->values[1]));
        changes.emplace_back(std::move(name), std::move(value));
    }

    OpenFolder opened = openNewsFolder(dir, false);
    RSSObject& feed = *opened.feed;
    if (url || !changes.empty()) {
        dialogs::OptionsSheet sheet(feed);
        if (url) sheet.general().url = fromUtf8(*url);
        for (const auto& [name, value] : changes)
            sheet.setOption(name, value);
        if (!sheet.ok()) throw CommandError("could not write " + toUtf8(feed.settingsPath));
    }
    if (arguments.flag("--show") || (!url && changes.empty())) {
        std::string text = "url: " + toUtf8(feed.url) + "\n";
        for (const dialogs::OptionDescription& option : dialogs::optionTable())
            text += toUtf8(option.name) + ": " + toUtf8(option.effectiveValue(feed)) + "\n";
        writeOut(text);
    }
    return 0;
}

}  // namespace corvane::cli
