#include "dialogs/OptionTable.h"

#include <gtest/gtest.h>

namespace corvane::dialogs {
namespace {

TEST(OptionTable, NamesAndValuesAreExact) {
    EXPECT_EQ(optionTable().size(), 6u);
    for (const OptionDescription& option : optionTable())
        EXPECT_EQ(findOption(option.name), &option);
    EXPECT_EQ(findOption(u"displaytime"), nullptr);
    EXPECT_EQ(findOption(u"labelDefaultTitle"), nullptr);
    EXPECT_EQ(findOption(u""), nullptr);
    const OptionDescription& time = *findOption(u"displayTime");
    EXPECT_TRUE(allowsValue(time, u"on"));
    EXPECT_TRUE(allowsValue(time, u"off"));
    EXPECT_FALSE(allowsValue(time, u"On"));
    EXPECT_FALSE(allowsValue(time, u""));
    EXPECT_FALSE(allowsValue(*findOption(u"formatTime"), u"on"));
}

TEST(OptionTable, EffectiveValuesFollowTheReaders) {
    struct Case {
        std::u16string_view name;
        const char16_t* stored;  // null: absent
        std::u16string_view effective;
    } cases[] = {
        {u"openOnDoubleClick", nullptr, u"off"},
        {u"rememberPosition", u"ON", u"off"},
        {u"splitterWindow", nullptr, u"horizontal"},
        {u"splitterWindow", u"sideways", u"horizontal"},
        {u"formatTime", nullptr, u"ymd"},
        {u"formatTime", u"mdy", u"ymd"},
        // The date column shows the time unless told "off".
        {u"displayTime", nullptr, u"on"},
        {u"displayTime", u"off", u"off"},
        {u"displayTime", u"Off", u"on"},
    };
    for (const Case& c : cases) {
        RSSObject feed;
        if (c.stored) feed.setParam(c.name, c.stored);
        EXPECT_EQ(findOption(c.name)->effectiveValue(feed), c.effective)
            << std::string(c.name.begin(), c.name.end());
    }
}

}  // namespace
}  // namespace corvane::dialogs
