#pragma once

#include <compare>
#include <cstdint>

namespace corvane {

// A calendar time with the fields, order and widths of the Windows SYSTEMTIME record, so Win32
// adapters can copy it field for field. Months run 1 to 12; wDayOfWeek 0 is Sunday.
struct SystemTime {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;

    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// 100-nanosecond ticks since 1601-01-01 00:00, as in the Windows FILETIME value.
struct FileTime {
    uint64_t ticks = 0;

    friend auto operator<=>(const FileTime&, const FileTime&) = default;
};

// Days since 1601-01-01 of a proleptic Gregorian date. Fields outside the calendar carry over
// (month 13 is January of the next year, 31 June is 1 July, day 0 is the last of the previous month).
int64_t dayNumber(int64_t year, int64_t month, int64_t day);

// For every valid date equal to SystemTimeToFileTime. Any other field values still give a definite
// value by the same arithmetic (ticks wrap modulo 2^64 before 1601), so every record has a sort key.
FileTime systemTimeToFileTime(const SystemTime& time);

// The record moved by whole days: the date fields and the true weekday are recomputed, the clock
// fields stay. For valid dates and times this equals the OLE round trip SystemTimeToVariantTime,
// adding `days`, VariantTimeToSystemTime.
SystemTime addDays(const SystemTime& time, int days);

}  // namespace corvane
