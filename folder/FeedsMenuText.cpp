#include "folder/FeedsMenuText.h"

namespace corvane::folder {
namespace {

std::u16string number(size_t value) {
    std::u16string text;
    for (char c : std::to_string(value))
        text += static_cast<char16_t>(c);
    return text;
}

// A box lists this many lines of failures at most; the rest are counted.
constexpr size_t kMaxListed = 20;

}  // namespace

std::u16string updateProgressText(size_t started, size_t total, std::u16string_view name) {
    return u"Updating " + number(started) + u" of " + number(total) + u": " + std::u16string(name);
}

std::u16string updateSummaryText(const std::vector<FeedUpdateOutcome>& outcomes) {
    size_t updated = 0, messages = 0, cancelled = 0;
    std::vector<const FeedUpdateOutcome*> failures;
    for (const FeedUpdateOutcome& outcome : outcomes) {
        if (outcome.ending == UpdateEnding::Updated) ++updated, messages += outcome.newMessages;
        if (outcome.ending == UpdateEnding::Cancelled) ++cancelled;
        if (outcome.ending == UpdateEnding::Failed) failures.push_back(&outcome);
    }
    std::u16string text = u"Updated " + number(updated) + u" of " + number(outcomes.size()) + u" feeds: " +
                          number(messages) + u" new messages.";
    if (cancelled) text += u"\n" + number(cancelled) + u" not updated (cancelled).";
    if (failures.empty()) return text;
    text += u"\n\nFailed:";
    for (size_t i = 0; i < failures.size() && i < kMaxListed; ++i)
        text += u"\n" + failures[i]->target.name + u": " + failures[i]->failure;
    if (failures.size() > kMaxListed) text += u"\n... and " + number(failures.size() - kMaxListed) + u" more";
    return text;
}

std::u16string importSummaryText(const ImportReport& report) {
    if (!report.error.empty()) return u"Nothing was imported: " + report.error;
    size_t made = 0, kept = 0, skipped = 0;
    std::vector<const ImportLine*> failures;
    for (const ImportLine& line : report.lines) {
        made += line.action == ImportAction::Made;
        kept += line.action == ImportAction::Kept;
        skipped += line.action == ImportAction::Skipped;
        if (line.failed) failures.push_back(&line);
    }
    std::u16string text = u"Made " + number(made) + u" news folders, kept " + number(kept) + u", skipped " +
                          number(skipped) + u".";
    if (failures.empty()) return text;
    text += u"\n\nNot made:";
    for (size_t i = 0; i < failures.size() && i < kMaxListed; ++i)
        text += u"\n" + failures[i]->name + u" (" + failures[i]->url + u"): " + failures[i]->reason;
    if (failures.size() > kMaxListed) text += u"\n... and " + number(failures.size() - kMaxListed) + u" more";
    return text;
}

}  // namespace corvane::folder
