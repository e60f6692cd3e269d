#include "cli/Program.h"

#include <span>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "platform/Trace.h"

namespace corvane::cli {
namespace {

const ArgumentSpec kRowSelection{{"--ascending", "--descending"}, {"--sort", "--id"}};

ArgumentSpec withRowSelection(ArgumentSpec spec) {
    spec.flags.insert(kRowSelection.flags.begin(), kRowSelection.flags.end());
    spec.options.insert(kRowSelection.options.begin(), kRowSelection.options.end());
    return spec;
}

std::span<const Command> commands() {
    static const Command table[] = {
        {"create",
         "create DIR",
         "Makes DIR a news folder: corvane.xml, desktop.ini and readme.txt.",
         {},
         runCreate},
        {"remove",
         "remove DIR [--yes]",
         "Makes DIR a plain folder again, deleting corvane.xml, rssitems.xml, desktop.ini and readme.txt.\n"
         "Asks first on a terminal; without one, --yes is required.",
         {{"--yes"}, {}},
         runRemove},
        {"config",
         "config DIR [--url URL] [--set NAME=VALUE]... [--show]",
         "Sets the feed URL and options of a news folder; --show prints the URL and every option with the\n"
         "value in effect.",
         {{"--show"}, {"--url", "--set"}},
         runConfig},
        {"update",
         "update DIR [--quiet] | update --all DIR [--jobs N]",
         "Downloads the feed and adds the messages never seen before. Ctrl-C cancels and leaves the folder\n"
         "as it was (exit status 130).\n"
         "With --all, updates every news folder below DIR, at most N at a time (4 unless told), printing a\n"
         "line per feed as it ends and a summary; exit status 1 when any failed. Ctrl-C starts no more and\n"
         "lets those under way end.",
         {{"--quiet", "--all"}, {"--jobs"}},
         runUpdate},
        {"import",
         "import OPML DIR [--update]",
         "Makes a news folder below DIR for every feed of the OPML subscription list, in subfolders as the\n"
         "list groups them; feeds that a news folder below DIR already reads are kept. Prints what it made,\n"
         "kept and skipped; exit status 1 when any feed could not be made. --update updates the new ones.",
         {{"--update"}, {}},
         runImport},
        {"export",
         "export DIR [-o FILE]",
         "Writes the news folders below DIR as an OPML 2.0 subscription list to stdout or FILE.",
         {{}, {"-o"}},
         runExport},
        {"list",
         "list DIR [--sort title|description|link|date] [--ascending|--descending] [--unread] [--json]",
         "Prints the message list's rows in display order (store order without --sort); --unread only the\n"
         "unread ones, numbered as in the whole list.",
         withRowSelection({{"--json", "--unread"}, {}}), runList},
        {"show", "show DIR ROW [-o FILE] [--sort COLUMN] [--ascending|--descending] [--id ID]",
         "Writes the item page of a row as an HTML document to stdout or FILE.",
         withRowSelection({{}, {"-o"}}), runShow},
        {"label", "label DIR N ROW... [--sort COLUMN] [--ascending|--descending] [--id ID]...",
         "Gives the messages of the rows (or ids) label N, 0 (none) to 5.", withRowSelection({}), runLabel},
        {"delete", "delete DIR ROW... [--yes] [--sort COLUMN] [--ascending|--descending] [--id ID]...",
         "Deletes the messages of the rows (or ids) for good: they never come back from the feed.\n"
         "Asks first on a terminal unless the folder's dontShowDeleteConfirm option is on or --yes is given.",
         withRowSelection({{"--yes"}, {}}), runDelete},
        {"read", "read DIR ROW...|--all [--sort COLUMN] [--ascending|--descending] [--id ID]...",
         "Marks the messages of the rows (or ids), or with --all every message, as read.",
         withRowSelection({{"--all"}, {}}), runRead},
        {"unread", "unread DIR ROW... [--sort COLUMN] [--ascending|--descending] [--id ID]...",
         "Marks the messages of the rows (or ids) as unread.", withRowSelection({}), runUnread},
        {"search",
         "search QUERY DIR... [--recursive] [--json]",
         "Prints the messages of the news folders whose title, description, content or author hold every\n"
         "word of QUERY (without regard to case or accents), newest first: folder, row, date and title.\n"
         "--recursive searches every news folder below each DIR as well.",
         {{"--recursive", "--json"}, {}},
         runSearch},
        {"open", "open DIR ROW [--sort COLUMN] [--ascending|--descending] [--id ID]",
         "Opens the message's link in the browser; only http and https links are opened.",
         withRowSelection({}), runOpen},
        {"info",
         "info DIR",
         "Prints the channel's title, link and description, the feed URL, the number of messages, how many\n"
         "of them are unread and the status text.",
         {},
         runInfo},
        {"view",
         "view DIR",
         "Opens the news folder in a window of its own (Windows only): the message list, the page of the\n"
         "selected message, the Corvane menu and the status text. F5 updates the feed. Returns when the\n"
         "window is closed; the window's layout is kept for the folder in the user's application data.",
         {},
         runView},
    };
    return table;
}

std::string programUsage() {
    std::string text =
        "usage: corvane [--verbose] COMMAND ARGUMENTS...\n"
        "       corvane --help | --version\n\n"
        "Works on news folders: folders that read one RSS feed.\n\ncommands:\n";
    for (const Command& command : commands())
        text += "  corvane " + std::string(command.synopsis) + "\n";
    text += "\n'corvane COMMAND --help' tells more about a command.\n";
    return text;
}

std::string commandUsage(const Command& command) {
    return "usage: corvane " + std::string(command.synopsis) + "\n\n" + command.help + "\n";
}

}  // namespace

int runProgram(const std::vector<std::string>& arguments) {
    std::vector<std::string> rest;
    const Command* chosen = nullptr;
    bool help = false;
    for (const std::string& argument : arguments) {
        if (!chosen && argument == "--verbose") {
            setTraceToStderr(true);
        } else if (!chosen && (argument == "--help" || argument == "-h")) {
            help = true;
        } else if (!chosen && argument == "--version") {
            writeOut(std::string("corvane ") + kVersion + "\n");
            return 0;
        } else if (!chosen && !argument.empty() && argument[0] == '-') {
            writeError("corvane: unknown option " + argument + "\n" + programUsage());
            return 2;
        } else if (!chosen) {
            for (const Command& command : commands())
                if (argument == command.name) chosen = &command;
            if (!chosen) {
                writeError("corvane: unknown command '" + argument + "'\n" + programUsage());
                return 2;
            }
        } else if (argument == "--help" || argument == "-h") {
            writeOut(commandUsage(*chosen));
            return 0;
        } else {
            rest.push_back(argument);
        }
    }
    if (!chosen) {
        if (help) {
            writeOut(programUsage());
            return 0;
        }
        writeError(programUsage());
        return 2;
    }
    if (help) {
        writeOut(commandUsage(*chosen));
        return 0;
    }
    try {
        return chosen->run(Arguments(rest, chosen->spec));
    } catch (const UsageError& error) {
        writeError(std::string("corvane ") + chosen->name + ": " + error.what() + "\n" +
                   commandUsage(*chosen));
        return 2;
    } catch (const CommandError& error) {
        writeError(std::string("corvane ") + chosen->name + ": " + error.what() + "\n");
        return 1;
    } catch (const std::exception& error) {
        writeError(std::string("corvane ") + chosen->name + ": " + error.what() + "\n");
        return 1;
    }
}

}  // namespace corvane::cli
