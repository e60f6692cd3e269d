// The day carry and file times of the core against the real OLE and file-time conversions.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "feedstore/CalendarTime.h"

namespace corvane {
namespace {

SYSTEMTIME toWin32(const SystemTime& t) {
    return SYSTEMTIME{t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                      t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
}

SystemTime fromWin32(const SYSTEMTIME& t) {
    return SystemTime{t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                      t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
}

SystemTime oleAddDays(const SystemTime& time, int days) {
    SYSTEMTIME record = toWin32(time);
    double value = 0;
    SystemTimeToVariantTime(&record, &value);
    value += days;
    VariantTimeToSystemTime(value, &record);
    return fromWin32(record);
}

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysIn(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

// Every day of the years around the century and leap rules, with clock times that stress the
// fraction of the OLE value, in both directions.
TEST(OleDate, DayCarryEqualsTheOleRoundTrip) {
    const int years[] = {1900, 1901, 1903, 1904, 1999, 2000, 2001, 2003, 2004, 2026, 2027, 2100, 2400, 9998};
    const SystemTime clocks[] = {{0, 0, 0, 0, 0, 0, 0, 0},
                                 {0, 0, 0, 0, 23, 30, 0, 0},
                                 {0, 0, 0, 0, 0, 15, 59, 0},
                                 {0, 0, 0, 0, 12, 0, 1, 0}};
    int compared = 0;
    for (int year : years)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= daysIn(year, month); ++day)
                for (const SystemTime& clock : clocks)
                    for (int days : {-1, 1}) {
                        if (year == 1900 && month == 1 && day == 1 && days < 0) continue;  // leaves the range
                        SystemTime time = clock;
                        time.wYear = static_cast<uint16_t>(year);
                        time.wMonth = static_cast<uint16_t>(month);
                        time.wDay = static_cast<uint16_t>(day);
                        SystemTime expected = oleAddDays(time, days);
                        ASSERT_EQ(addDays(time, days), expected)
                            << year << "-" << month << "-" << day << " " << clock.wHour << ":"
                            << clock.wMinute << ":" << clock.wSecond << " by " << days;
                        ++compared;
                    }
    EXPECT_GT(compared, 40000);
}

TEST(OleDate, FileTimeEqualsSystemTimeToFileTime) {
    const int years[] = {1601, 1700, 1900, 1970, 2000, 2003, 2026, 2038, 2100, 9999};
    for (int year : years)
        for (int month = 1; month <= 12; ++month)
            for (int day : {1, 15, daysIn(year, month)}) {
                SystemTime time{static_cast<uint16_t>(year),
                                static_cast<uint16_t>(month),
                                0,
                                static_cast<uint16_t>(day),
                                23,
                                59,
                                58,
                                999};
                SYSTEMTIME record = toWin32(time);
                FILETIME expected{};
                ASSERT_TRUE(SystemTimeToFileTime(&record, &expected));
                uint64_t ticks = (uint64_t{expected.dwHighDateTime} << 32) | expected.dwLowDateTime;
                ASSERT_EQ(systemTimeToFileTime(time).ticks, ticks) << year << "-" << month << "-" << day;
            }
}

}  // namespace
}  // namespace corvane
