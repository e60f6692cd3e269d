#include "feedstore/CalendarTime.h"

namespace corvane {
namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Dates are counted in 400-year eras of years that begin on 1 March, so the leap day is the last day
// of a counted year and month lengths follow a fixed pattern.
constexpr int64_t kDaysPer400Years = 146097;
constexpr int64_t kDaysPer100Years = 36524;
constexpr int64_t kDaysPer4Years = 1461;
// Days from 0000-03-01 to 1601-01-01.
constexpr int64_t kEpochShift = 584694;

struct Date {
    int64_t year;
    int64_t month;
    int64_t day;
};

Date dateOfDayNumber(int64_t days) {
    int64_t z = days + kEpochShift;
    int64_t era = floorDiv(z, kDaysPer400Years);
    int64_t dayOfEra = z - era * kDaysPer400Years;
    int64_t yearOfEra = (dayOfEra - dayOfEra / (kDaysPer4Years - 1) + dayOfEra / kDaysPer100Years -
                         dayOfEra / (kDaysPer400Years - 1)) /
                        365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    Date date;
    date.day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    date.month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}

}  // namespace

int64_t dayNumber(int64_t year, int64_t month, int64_t day) {
    year += floorDiv(month - 1, 12);
    month = month - 1 - floorDiv(month - 1, 12) * 12 + 1;
    int64_t y = month <= 2 ? year - 1 : year;
    int64_t era = floorDiv(y, 400);
    int64_t yearOfEra = y - era * 400;
    int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
    int64_t dayOfYear = (153 * monthFromMarch + 2) / 5;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPer400Years + dayOfEra - kEpochShift + (day - 1);
}

FileTime systemTimeToFileTime(const SystemTime& time) {
    int64_t days = dayNumber(time.wYear, time.wMonth, time.wDay);
    int64_t seconds = days * 86400 + int64_t{time.wHour} * 3600 + int64_t{time.wMinute} * 60 + time.wSecond;
    int64_t milliseconds = seconds * 1000 + time.wMilliseconds;
    return FileTime{static_cast<uint64_t>(milliseconds) * 10000u};
}

SystemTime addDays(const SystemTime& time, int days) {
    int64_t number = dayNumber(time.wYear, time.wMonth, time.wDay) + days;
    Date date = dateOfDayNumber(number);
    SystemTime moved = time;
    moved.wYear = static_cast<uint16_t>(date.year);
    moved.wMonth = static_cast<uint16_t>(date.month);
    moved.wDay = static_cast<uint16_t>(date.day);
    // 1601-01-01 was a Monday.
    moved.wDayOfWeek = static_cast<uint16_t>(number + 1 - floorDiv(number + 1, 7) * 7);
    return moved;
}

}  // namespace corvane
