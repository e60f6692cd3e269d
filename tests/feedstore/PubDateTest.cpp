#include "feedstore/PubDate.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Utf.h"

namespace corvane {
namespace {

struct Expected {
    uint16_t year, month, day, hour, minute, second, dayOfWeek;
};

::testing::AssertionResult parsesTo(std::u16string_view text, Expected e) {
    SystemTime out;
    if (!parsePubDate(text, &out)) return ::testing::AssertionFailure() << "not parsed";
    SystemTime want{e.year, e.month, e.dayOfWeek, e.day, e.hour, e.minute, e.second, 0};
    if (out == want) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got " << out.wYear << "-" << out.wMonth << "-" << out.wDay << " " << out.wHour << ":"
           << out.wMinute << ":" << out.wSecond << " dow " << out.wDayOfWeek;
}

bool rejects(std::u16string_view text) {
    SystemTime out{1, 2, 3, 4, 5, 6, 7, 8};
    const SystemTime before = out;
    bool parsed = parsePubDate(text, &out);
    // A rejected text leaves the caller's record exactly as it was.
    return !parsed && out == before;
}

TEST(ParsePubDate, Examples) {
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 GMT", {2003, 6, 10, 4, 0, 0, 2}));
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 +0100", {2003, 6, 10, 5, 0, 0, 2}));
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 EST", {2003, 6, 9, 23, 0, 0, 1}));
    EXPECT_TRUE(parsesTo(u"10 Jun 03 04:00:00 Z", {2003, 6, 10, 4, 0, 0, 0}));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 04:00 GMT"));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 04:00:00"));
    EXPECT_TRUE(rejects(u"2003-06-10T04:00:00Z"));
}

TEST(ParsePubDate, CaseIsIgnored) {
    EXPECT_TRUE(parsesTo(u"TUE, 10 JUN 2003 04:00:00 gmt", {2003, 6, 10, 4, 0, 0, 2}));
    EXPECT_TRUE(parsesTo(u"tUe, 10 jUN 2003 04:00:00 eSt", {2003, 6, 9, 23, 0, 0, 1}));
}

TEST(ParsePubDate, WeekdayIsTakenAsWritten) {
    // 10 June 2003 was a Tuesday; without a carry the text's weekday stands.
    EXPECT_TRUE(parsesTo(u"Mon, 10 Jun 2003 04:00:00 GMT", {2003, 6, 10, 4, 0, 0, 1}));
    EXPECT_TRUE(parsesTo(u"Tuesday, 10 Jun 2003 04:00:00 GMT", {2003, 6, 10, 4, 0, 0, 2}));
    EXPECT_TRUE(parsesTo(u"Tue , 10 Jun 2003 04:00:00 GMT", {2003, 6, 10, 4, 0, 0, 2}));
    EXPECT_TRUE(parsesTo(u"Tue 10 Jun 2003 04:00:00 GMT", {2003, 6, 10, 4, 0, 0, 2}));
    // Without a blank after the comma the weekday token swallows the day.
    EXPECT_TRUE(rejects(u"Tue,10 Jun 2003 04:00:00 GMT"));
}

TEST(ParsePubDate, ZoneTable) {
    struct Row {
        const char16_t* zone;
        uint16_t day, hour, dayOfWeek;
    };
    const Row rows[] = {
        {u"UT", 10, 12, 2},   {u"GMT", 10, 12, 2}, {u"EST", 10, 7, 2}, {u"EDT", 10, 8, 2},
        {u"CST", 10, 6, 2},   {u"CDT", 10, 7, 2},  {u"MST", 10, 5, 2}, {u"MDT", 10, 6, 2},
        {u"PST", 10, 4, 2},   {u"PDT", 10, 5, 2},  {u"A", 10, 11, 2},  {u"Z", 10, 12, 2},
        {u"M", 10, 0, 2},     {u"N", 10, 13, 2},   {u"Y", 11, 0, 3},   {u"UTC", 10, 12, 2},
        {u"CEST", 10, 12, 2}, {u"BST", 10, 12, 2}, {u"B", 10, 12, 2},  {u"+EST", 10, 7, 2},
    };
    for (const Row& row : rows) {
        std::u16string text = std::u16string(u"Tue, 10 Jun 2003 12:00:00 ") + row.zone;
        EXPECT_TRUE(parsesTo(text, {2003, 6, row.day, row.hour, 0, 0, row.dayOfWeek}))
            << std::string(text.begin(), text.end());
    }
}

TEST(ParsePubDate, NumericOffsets) {
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 +0530", {2003, 6, 10, 9, 30, 0, 2}));
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 0530", {2003, 6, 10, 9, 30, 0, 2}));
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 -0530", {2003, 6, 9, 22, 30, 0, 1}));
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 + 0100", {2003, 6, 10, 5, 0, 0, 2}));
    // Only the first two digits of each half count.
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 +010099", {2003, 6, 10, 5, 0, 0, 2}));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 04:00:00 +05:30"));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 04:00:00 -05"));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 04:00:00 -"));
}

TEST(ParsePubDate, LonePlusIsZeroOffset) {
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 +", {2003, 6, 10, 4, 0, 0, 2}));
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 + ", {2003, 6, 10, 4, 0, 0, 2}));
}

TEST(ParsePubDate, YearWidening) {
    EXPECT_TRUE(parsesTo(u"10 Jun 99 04:00:00 GMT", {1999, 6, 10, 4, 0, 0, 0}));
    EXPECT_TRUE(parsesTo(u"10 Jun 49 04:00:00 GMT", {2049, 6, 10, 4, 0, 0, 0}));
    EXPECT_TRUE(parsesTo(u"10 Jun 50 04:00:00 GMT", {1950, 6, 10, 4, 0, 0, 0}));
    EXPECT_TRUE(parsesTo(u"10 Jun 103 04:00:00 GMT", {2003, 6, 10, 4, 0, 0, 0}));
    EXPECT_TRUE(parsesTo(u"10 Jun 1900 04:00:00 GMT", {1900, 6, 10, 4, 0, 0, 0}));
    EXPECT_TRUE(parsesTo(u"10 Jun 1899 04:00:00 GMT", {3799, 6, 10, 4, 0, 0, 0}));
}

TEST(ParsePubDate, MonthByFirstThreeLetters) {
    EXPECT_TRUE(parsesTo(u"10 June 2003 04:00:00 GMT", {2003, 6, 10, 4, 0, 0, 0}));
    EXPECT_TRUE(parsesTo(u"10 Sept 2003 04:00:00 GMT", {2003, 9, 10, 4, 0, 0, 0}));
    EXPECT_TRUE(parsesTo(u"10 dec 2003 04:00:00 GMT", {2003, 12, 10, 4, 0, 0, 0}));
    EXPECT_TRUE(rejects(u"10 Ju 2003 04:00:00 GMT"));
    EXPECT_TRUE(rejects(u"10 Foo 2003 04:00:00 GMT"));
}

TEST(ParsePubDate, DayCarry) {
    EXPECT_TRUE(parsesTo(u"Thu, 31 Dec 2026 23:30:00 +0100", {2027, 1, 1, 0, 30, 0, 5}));
    EXPECT_TRUE(parsesTo(u"Thu, 31 Dec 2026 23:30:00 -0100", {2026, 12, 31, 22, 30, 0, 4}));
    EXPECT_TRUE(parsesTo(u"Thu, 01 Jan 2026 00:30:00 -0100", {2025, 12, 31, 23, 30, 0, 3}));
    EXPECT_TRUE(parsesTo(u"Sat, 28 Feb 2004 23:30:00 +0100", {2004, 2, 29, 0, 30, 0, 0}));
    EXPECT_TRUE(parsesTo(u"Mon, 01 Mar 2004 00:30:00 -0100", {2004, 2, 29, 23, 30, 0, 0}));
    EXPECT_TRUE(parsesTo(u"Wed, 28 Feb 2001 23:30:00 +0100", {2001, 3, 1, 0, 30, 0, 4}));
    // The carry sets the true weekday even when the text named another.
    EXPECT_TRUE(parsesTo(u"Fri, 10 Jun 2003 23:59:59 +0100", {2003, 6, 11, 0, 59, 59, 3}));
}

TEST(ParsePubDate, DaysOutsideTheCalendarStillGetADate) {
    // Fields are not range-checked; a carry counts 31 June as 1 July.
    EXPECT_TRUE(parsesTo(u"31 Jun 2003 12:00:00 GMT", {2003, 6, 31, 12, 0, 0, 0}));
    EXPECT_TRUE(parsesTo(u"31 Jun 2003 23:30:00 +0100", {2003, 7, 2, 0, 30, 0, 3}));
    EXPECT_TRUE(parsesTo(u"0 Jun 2003 00:30:00 -0100", {2003, 5, 30, 23, 30, 0, 5}));
}

TEST(ParsePubDate, TabsSeparateTokens) {
    EXPECT_TRUE(parsesTo(u"Tue,\t10\tJun\t2003\t04:00:00\tEST", {2003, 6, 9, 23, 0, 0, 1}));
    EXPECT_TRUE(parsesTo(u" \t Tue, 10 Jun 2003 04:00:00 GMT \t", {2003, 6, 10, 4, 0, 0, 2}));
}

TEST(ParsePubDate, TextEndingAfterAToken) {
    EXPECT_TRUE(rejects(u""));
    EXPECT_TRUE(rejects(u"   \t "));
    EXPECT_TRUE(rejects(u"Tue"));
    EXPECT_TRUE(rejects(u"Tue,"));
    EXPECT_TRUE(rejects(u"Tue, "));
    EXPECT_TRUE(rejects(u"Tue , "));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003"));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 "));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 04:00:00 "));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun"));
}

TEST(ParsePubDate, MalformedTime) {
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 04 :00:00 GMT"));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 04-00-00 GMT"));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 aa:00:00 GMT"));
    // A number may carry its own sign and blanks, as the C scanner allows.
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 +4:00:00 GMT", {2003, 6, 10, 4, 0, 0, 2}));
}

TEST(ParsePubDate, NumbersOverflowing32BitsAreRejected) {
    EXPECT_TRUE(rejects(u"Tue, 99999999999 Jun 2003 04:00:00 GMT"));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 4294967296 04:00:00 GMT"));
    EXPECT_TRUE(rejects(u"Tue, 10 Jun 2003 2147483648:00:00 GMT"));
    // The largest value still parses; the 16-bit field keeps its low bits.
    SystemTime out;
    EXPECT_TRUE(parsePubDate(u"Tue, 2147483647 Jun 2003 04:00:00 GMT", &out));
    EXPECT_EQ(out.wDay, 0xFFFF);
}

TEST(ParsePubDate, OnlyTheFirst199CharactersCount) {
    const std::u16string head = u"Tue, 10 Jun 2003 04:00:00";  // 25 characters
    // 25 + 171 blanks + "est" is exactly 199: the zone is read whole.
    EXPECT_TRUE(parsesTo(head + std::u16string(171, u' ') + u"est", {2003, 6, 9, 23, 0, 0, 1}));
    // One blank more and the zone is cut to "es", an unknown name.
    EXPECT_TRUE(parsesTo(head + std::u16string(172, u' ') + u"est", {2003, 6, 10, 4, 0, 0, 2}));
    EXPECT_TRUE(rejects(head + std::u16string(200, u' ') + u"GMT"));
}

TEST(ParsePubDate, NonAsciiUnitsBecomeQuestionMarks) {
    // "ÉST" must not be taken as EST by a best-fit mapping: it is "?st", an unknown zone.
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 \u00C9ST", {2003, 6, 10, 4, 0, 0, 2}));
    EXPECT_TRUE(rejects(u"Tue, 10 J\u00FCn 2003 04:00:00 GMT"));
    // A surrogate pair is two units, two question marks.
    EXPECT_TRUE(parsesTo(u"Tue, 10 Jun 2003 04:00:00 \U0001F600", {2003, 6, 10, 4, 0, 0, 2}));
}

TEST(ParsePubDate, TextEndsAtNul) {
    const std::u16string text(u"Tue, 10 Jun 2003 04:00:00\0 EST", 30);
    EXPECT_TRUE(rejects(text));
}

TEST(ParsePubDate, MissingOutputIsRejected) {
    EXPECT_FALSE(parsePubDate(u"Tue, 10 Jun 2003 04:00:00 GMT", nullptr));
}

// The readers take the time from the conversion instead of parsing its text again: the two must
// never differ, across midnights, month and year ends, leap days and every kind of offset.
TEST(IsoDateToRfc822, GivesTheTimeItsTextParsesTo) {
    const std::u16string dates[] = {u"1900-01-01", u"1999-12-31", u"2000-02-29", u"2024-02-28",
                                    u"2024-02-29", u"2026-03-01", u"2026-12-31", u"9999-12-31"};
    const std::u16string times[] = {u"",          u"T00:00:00", u"T00:00",        u"T00:30:00.5",
                                    u"t12:00:01", u" 23:59:60", u"T23:59:59,999", u"T24:00:00"};
    const std::u16string zones[] = {u"",       u"Z",      u"z",      u"-23:59", u"-12:00", u"-05:30",
                                    u"-00:01", u"+00:00", u"+01:00", u"+0545",  u"+14",    u"+23:59"};
    int compared = 0;
    for (const std::u16string& date : dates)
        for (const std::u16string& clock : times)
            for (const std::u16string& zone : zones) {
                if (clock.empty() && !zone.empty()) continue;
                const std::u16string iso = date + clock + zone;
                SystemTime direct{};
                const std::optional<std::u16string> text = isoDateToRfc822(iso, &direct);
                ASSERT_TRUE(text) << toUtf8(iso);
                SystemTime parsed{};
                ASSERT_TRUE(parsePubDate(*text, &parsed)) << toUtf8(*text);
                EXPECT_EQ(direct, parsed) << toUtf8(iso) << " -> " << toUtf8(*text);
                ++compared;
            }
    EXPECT_EQ(compared, 8 * 8 * 12 - 8 * 11);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST(IsoDateToRfc822, Forms) {
    const struct {
        const char16_t* iso;
        const char16_t* rfc822;
    } cases[] = {
        {u"2026-12-09T10:15:30Z", u"Wed, 09 Dec 2026 10:15:30 +0000"},
        {u"2026-12-09t10:15:30z", u"Wed, 09 Dec 2026 10:15:30 +0000"},
        {u"2026-12-09T10:15:30+01:00", u"Wed, 09 Dec 2026 10:15:30 +0100"},
        {u"2026-12-09T10:15:30-05:30", u"Wed, 09 Dec 2026 10:15:30 -0530"},
        {u"2026-12-09T10:15:30+0100", u"Wed, 09 Dec 2026 10:15:30 +0100"},
        {u"2026-12-09T10:15:30+01", u"Wed, 09 Dec 2026 10:15:30 +0100"},
        {u"2026-12-09T10:15:30.123456Z", u"Wed, 09 Dec 2026 10:15:30 +0000"},
        {u"2026-12-09 10:15:30,5+00:00", u"Wed, 09 Dec 2026 10:15:30 +0000"},
        {u"2026-12-09T10:15Z", u"Wed, 09 Dec 2026 10:15:00 +0000"},
        {u"2026-12-09T10:15:30", u"Wed, 09 Dec 2026 10:15:30 +0000"},
        {u"  2026-12-09\n", u"Wed, 09 Dec 2026 00:00:00 +0000"},
        {u"2024-02-29", u"Thu, 29 Feb 2024 00:00:00 +0000"},
        {u"2026-12-31T24:00:00Z", u"Fri, 01 Jan 2027 00:00:00 +0000"},
        {u"2016-12-31T23:59:60Z", u"Sat, 31 Dec 2016 23:59:59 +0000"},
        {u"2026-01-05T07:08:09-05:30", u"Mon, 05 Jan 2026 07:08:09 -0530"},
        // The day after the last four-digit year: the year takes five.
        {u"9999-12-31T24:00:00-23:59", u"Sat, 01 Jan 10000 00:00:00 -2359"},
    };
    for (const auto& c : cases) {
        std::optional<std::u16string> converted = isoDateToRfc822(c.iso);
        ASSERT_TRUE(converted) << std::u16string(c.iso).size();
        EXPECT_EQ(*converted, c.rfc822);
        // The feed readers convert such a date without trying it as RFC 822 first.
        SystemTime time;
        EXPECT_FALSE(parsePubDate(c.iso, &time)) << std::u16string(c.iso).size();
    }
}

TEST(IsoDateToRfc822, RefusesWhatIsNoIsoDate) {
    for (const char16_t* text :
         {u"", u"Wed, 09 Dec 2026 10:15:30 +0000", u"2026-13-01", u"2026-02-30", u"2025-02-29", u"2026-12-9",
          u"26-12-09", u"1899-12-31", u"2026-12-09T25:00:00Z", u"2026-12-09T10:60:00Z",
          u"2026-12-09T10:15:30+24:00", u"2026-12-09T10:15:30.Z", u"2026-12-09T10:15:30Z trailing",
          u"2026-12-09T10", u"2026/12/09"})
        EXPECT_FALSE(isoDateToRfc822(text)) << std::u16string(text).size();
}

// The stored form must give exactly the time the feed's form gives, so ids and sorting agree
// between the update and every later load, on every version.
TEST(IsoDateToRfc822, StoredFormParsesToTheTimeOfItsOffset) {
    SystemTime time;
    ASSERT_TRUE(parsePubDate(*isoDateToRfc822(u"2026-12-31T23:30:00+01:00"), &time));
    EXPECT_EQ(time, (SystemTime{2027, 1, 5, 1, 0, 30, 0, 0}));
    ASSERT_TRUE(parsePubDate(*isoDateToRfc822(u"2026-12-09"), &time));
    EXPECT_EQ(time, (SystemTime{2026, 12, 3, 9, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace corvane
