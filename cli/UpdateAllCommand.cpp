// update --all: every news folder below a folder, several at once, one line per feed as it ends.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/OpenFolder.h"
#include "cli/UpdateAll.h"
#include "folder/FeedUpdateAll.h"
#include "platform/Utf.h"
#include "retrieval/InternetSession.h"

namespace corvane::cli {

std::string updateLine(const folder::FeedUpdateOutcome& outcome) {
    std::string name = toUtf8(outcome.target.name);
    switch (outcome.ending) {
        case folder::UpdateEnding::Updated:
            return name + ": " + std::to_string(outcome.newMessages) + " new message(s)\n";
        case folder::UpdateEnding::Failed:
            return name + ": failed: " + toUtf8(outcome.failure) + "\n";
        case folder::UpdateEnding::Cancelled:
            return name + ": cancelled\n";
    }
    return name + "\n";
}

int reportUpdates(const std::vector<folder::FeedUpdateOutcome>& outcomes) {
    size_t updated = 0, failed = 0, cancelled = 0, messages = 0;
    for (const folder::FeedUpdateOutcome& outcome : outcomes) {
        if (outcome.ending == folder::UpdateEnding::Updated) ++updated, messages += outcome.newMessages;
        if (outcome.ending == folder::UpdateEnding::Failed) ++failed;
        if (outcome.ending == folder::UpdateEnding::Cancelled) ++cancelled;
    }
    std::string summary = std::to_string(updated) + " of " + std::to_string(outcomes.size()) +
                          " feed(s) updated, " + std::to_string(messages) + " new message(s)";
    if (failed) summary += ", " + std::to_string(failed) + " failed";
    if (cancelled) summary += ", " + std::to_string(cancelled) + " cancelled";
    writeOut(summary + "\n");
    if (cancelled) return kExitInterrupted;
    return failed ? 1 : 0;
}

std::vector<folder::FeedUpdateOutcome> updateFolders(const std::vector<folder::UpdateTarget>& targets,
                                                     size_t jobs) {
    catchInterrupts();
    folder::UpdateAllObserver observer;
    observer.ended = [](const folder::FeedUpdateOutcome& outcome, size_t, size_t) {
        writeOut(updateLine(outcome));
    };
    return folder::updateAll(
        targets, jobs, [] { return interrupted(); }, observer);
}

int runUpdateAll(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    size_t jobs = folder::kDefaultUpdateJobs;
    if (std::optional<std::string> text = arguments.option("--jobs")) {
        int value = parseInteger(*text, "--jobs");
        if (value < 1 || value > 64) throw UsageError("--jobs takes 1 to 64");
        jobs = static_cast<size_t>(value);
    }
    const retrieval::InternetWarmUp warmUp;
    std::u16string path = absoluteFolder(dir);
    requireFolder(dir, path);
    std::vector<folder::UpdateTarget> targets = folder::newsFoldersBelow(path);
    if (targets.empty()) throw CommandError("no news folder below " + dir);
    return reportUpdates(updateFolders(targets, jobs));
}

}  // namespace corvane::cli
