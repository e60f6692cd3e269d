#include "feedstore/CalendarTime.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

SystemTime at(uint16_t year, uint16_t month, uint16_t day, uint16_t hour = 0, uint16_t minute = 0,
              uint16_t second = 0) {
    return SystemTime{year, month, 0, day, hour, minute, second, 0};
}

TEST(CalendarTime, FileTimeOfKnownInstants) {
    EXPECT_EQ(systemTimeToFileTime(at(1601, 1, 1)).ticks, 0u);
    EXPECT_EQ(systemTimeToFileTime(at(1970, 1, 1)).ticks, 116444736000000000u);
    EXPECT_EQ(systemTimeToFileTime(at(2003, 6, 10, 4)).ticks, 126996912000000000u);
    EXPECT_EQ(systemTimeToFileTime(at(2000, 2, 29, 23, 59, 59)).ticks, 125963423990000000u);
    EXPECT_EQ(systemTimeToFileTime(at(9999, 12, 31, 23, 59, 59)).ticks, 2650467743990000000u);
    SystemTime withMilliseconds = at(1601, 1, 1);
    withMilliseconds.wMilliseconds = 1;
    EXPECT_EQ(systemTimeToFileTime(withMilliseconds).ticks, 10000u);
}

TEST(CalendarTime, FileTimeIgnoresTheWeekday) {
    SystemTime a = at(2003, 6, 10);
    SystemTime b = a;
    b.wDayOfWeek = 5;
    EXPECT_EQ(systemTimeToFileTime(a), systemTimeToFileTime(b));
}

TEST(CalendarTime, FieldsOutsideTheCalendarCarryOver) {
    EXPECT_EQ(systemTimeToFileTime(at(2003, 6, 31)), systemTimeToFileTime(at(2003, 7, 1)));
    EXPECT_EQ(systemTimeToFileTime(at(2003, 6, 0)), systemTimeToFileTime(at(2003, 5, 31)));
    EXPECT_EQ(systemTimeToFileTime(at(2003, 2, 29)), systemTimeToFileTime(at(2003, 3, 1)));
    EXPECT_EQ(systemTimeToFileTime(at(2003, 13, 1)), systemTimeToFileTime(at(2004, 1, 1)));
    EXPECT_EQ(systemTimeToFileTime(at(2003, 1, 1, 24)), systemTimeToFileTime(at(2003, 1, 2)));
    EXPECT_LT(systemTimeToFileTime(at(2003, 6, 31)), systemTimeToFileTime(at(2003, 7, 2)));
}

TEST(CalendarTime, DayNumbersAcrossLeapRules) {
    EXPECT_EQ(dayNumber(1601, 1, 1), 0);
    EXPECT_EQ(dayNumber(1602, 1, 1), 365);
    EXPECT_EQ(dayNumber(1900, 3, 1) - dayNumber(1900, 2, 28), 1);  // 1900 is no leap year
    EXPECT_EQ(dayNumber(2000, 3, 1) - dayNumber(2000, 2, 28), 2);  // 2000 is one
    EXPECT_EQ(dayNumber(2001, 1, 1) - dayNumber(2000, 1, 1), 366);
    EXPECT_EQ(dayNumber(1601, 1, 0), -1);
}

TEST(CalendarTime, AddDaysCrossesBoundariesAndSetsTheWeekday) {
    struct Row {
        SystemTime from;
        int days;
        SystemTime to;
    };
    const Row rows[] = {
        {at(2003, 6, 10, 4, 5, 6), -1, {2003, 6, 1, 9, 4, 5, 6, 0}},
        {at(2003, 6, 30), 1, {2003, 7, 2, 1, 0, 0, 0, 0}},
        {at(2026, 12, 31, 23, 30), 1, {2027, 1, 5, 1, 23, 30, 0, 0}},
        {at(2026, 1, 1), -1, {2025, 12, 3, 31, 0, 0, 0, 0}},
        {at(2004, 2, 28), 1, {2004, 2, 0, 29, 0, 0, 0, 0}},
        {at(2004, 3, 1), -1, {2004, 2, 0, 29, 0, 0, 0, 0}},
        {at(1900, 2, 28), 1, {1900, 3, 4, 1, 0, 0, 0, 0}},
        {at(2000, 2, 28), 1, {2000, 2, 2, 29, 0, 0, 0, 0}},
        {at(1900, 1, 1), -1, {1899, 12, 0, 31, 0, 0, 0, 0}},
        {at(2003, 6, 31), 1, {2003, 7, 3, 2, 0, 0, 0, 0}},
        {at(2003, 6, 0), -1, {2003, 5, 5, 30, 0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SystemTime moved = addDays(row.from, row.days);
        EXPECT_EQ(moved, row.to) << row.from.wYear << "-" << row.from.wMonth << "-" << row.from.wDay << " "
                                 << row.days << " gave " << moved.wYear << "-" << moved.wMonth << "-"
                                 << moved.wDay << " dow " << moved.wDayOfWeek;
    }
}

}  // namespace
}  // namespace corvane
