#include "view/UpdateOutcome.h"

#include <gtest/gtest.h>

#include "retrieval/WorkerMessages.h"

namespace corvane {
namespace {

const std::u16string kUrl = u"http://127.0.0.1/feed.xml";

TEST(UpdateOutcome, EachResultStoresOrTellsItsFailure) {
    struct Case {
        uint32_t result;
        bool userCancelled;
        bool storeAndRefresh;
        const char16_t* boxText;  // null: no box
    };
    const Case cases[] = {
        {UPDATE_OK, false, true, nullptr},
        {UPDATE_NOT_RSS, false, false, u"Requested url is not valid RSS XML: http://127.0.0.1/feed.xml"},
        {UPDATE_DOWNLOAD_FAILED, false, false, u"Unable to download RSS feed: http://127.0.0.1/feed.xml"},
        // Cancel pressed: however the worker ended, it ends as a cancelled update, without a box.
        {UPDATE_DOWNLOAD_FAILED, true, true, nullptr},
        {UPDATE_NOT_RSS, true, true, nullptr},
        {UPDATE_OK, true, true, nullptr},
        // A result no worker posts does nothing at all.
        {7, false, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "result " << c.result << (c.userCancelled ? " cancelled" : ""));
        UpdateOutcome outcome = updateOutcome(c.result, c.userCancelled, kUrl);
        EXPECT_EQ(outcome.storeAndRefresh, c.storeAndRefresh);
        ASSERT_EQ(outcome.boxText.has_value(), c.boxText != nullptr);
        if (c.boxText) {
            EXPECT_EQ(*outcome.boxText, c.boxText);
        }
    }
}

TEST(UpdateOutcome, AUrlTooLongForTheBoxIsLeftOut) {
    struct Case {
        size_t urlLength;
        bool withUrl;
    };
    const size_t prefix = std::u16string_view(u"Unable to download RSS feed: ").size();
    const Case cases[] = {
        {kUpdateBoxTextLength - 1 - prefix, true},
        {kUpdateBoxTextLength - prefix, false},
        {100000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.urlLength);
        const std::u16string url(c.urlLength, u'a');
        UpdateOutcome outcome = updateOutcome(UPDATE_DOWNLOAD_FAILED, false, url);
        ASSERT_TRUE(outcome.boxText);
        EXPECT_EQ(*outcome.boxText,
                  c.withUrl ? u"Unable to download RSS feed: " + url : u"Unable to download RSS feed");
        EXPECT_LT(outcome.boxText->size(), kUpdateBoxTextLength);
    }
}

}  // namespace
}  // namespace corvane
