#include "folder/FeedsMenuText.h"

#include <gtest/gtest.h>

namespace corvane::folder {
namespace {

FeedUpdateOutcome outcome(std::u16string name, UpdateEnding ending, size_t messages,
                          std::u16string failure = {}) {
    FeedUpdateOutcome result;
    result.target.name = std::move(name);
    result.ending = ending;
    result.newMessages = messages;
    result.failure = std::move(failure);
    return result;
}

TEST(FeedsMenuText, ProgressNamesTheFeedAndItsPlace) {
    EXPECT_EQ(updateProgressText(3, 12, u"Tech/Blog"), u"Updating 3 of 12: Tech/Blog");
}

TEST(FeedsMenuText, UpdateSummaryListsEveryFailureOnce) {
    EXPECT_EQ(
        updateSummaryText({outcome(u"a", UpdateEnding::Updated, 2), outcome(u"b", UpdateEnding::Updated, 0)}),
        u"Updated 2 of 2 feeds: 2 new messages.");
    EXPECT_EQ(
        updateSummaryText({outcome(u"a", UpdateEnding::Updated, 1),
                           outcome(u"b", UpdateEnding::Failed, 0, u"Unable to download RSS feed: http://b/"),
                           outcome(u"c", UpdateEnding::Cancelled, 0)}),
        u"Updated 1 of 3 feeds: 1 new messages.\n1 not updated (cancelled).\n\nFailed:\n"
        u"b: Unable to download RSS feed: http://b/");
    std::vector<FeedUpdateOutcome> many(25, outcome(u"x", UpdateEnding::Failed, 0, u"why"));
    std::u16string text = updateSummaryText(many);
    EXPECT_NE(text.find(u"\n... and 5 more"), std::u16string::npos);
}

TEST(FeedsMenuText, ImportSummaryCountsAndNamesWhatWasNotMade) {
    ImportReport report;
    report.lines = {
        {ImportAction::Made, u"A", u"http://a/", u"", false},
        {ImportAction::Kept, u"B", u"http://b/", u"already read there", false},
        {ImportAction::Skipped, u"C", u"javascript:x", u"only http and https feed URLs are taken", true},
        {ImportAction::Skipped, u"A again", u"http://a/", u"listed before, as A", false}};
    EXPECT_EQ(importSummaryText(report),
              u"Made 1 news folders, kept 1, skipped 2.\n\nNot made:\n"
              u"C (javascript:x): only http and https feed URLs are taken");
    report.error = u"x.opml is not imported: it is not well-formed XML";
    EXPECT_EQ(importSummaryText(report),
              u"Nothing was imported: x.opml is not imported: it is not well-formed XML");
}

}  // namespace
}  // namespace corvane::folder
