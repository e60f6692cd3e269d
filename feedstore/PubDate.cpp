#include "feedstore/PubDate.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>

namespace corvane {
namespace {

constexpr size_t kMaxDateChars = 199;
constexpr size_t kMaxWordChars = 19;

constexpr std::array<std::string_view, 7> kWeekdays{"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
constexpr std::array<std::string_view, 12> kMonths{"jan", "feb", "mar", "apr", "may", "jun",
                                                   "jul", "aug", "sep", "oct", "nov", "dec"};

struct ZoneOffset {
    std::string_view name;
    std::string_view offset;
};
// The single letters are RFC 822's military zones as printed there (A behind, N ahead of GMT).
constexpr std::array<ZoneOffset, 15> kZones{{{"ut", "0000"},
                                             {"gmt", "0000"},
                                             {"est", "-0500"},
                                             {"edt", "-0400"},
                                             {"cst", "-0600"},
                                             {"cdt", "-0500"},
                                             {"mst", "-0700"},
                                             {"mdt", "-0600"},
                                             {"pst", "-0800"},
                                             {"pdt", "-0700"},
                                             {"a", "-0100"},
                                             {"z", "0000"},
                                             {"m", "-1200"},
                                             {"n", "0100"},
                                             {"y", "1200"}}};

// Every unit above 0x7F becomes '?', so both builds see the same bytes whatever the code page;
// A to Z are lowered and nothing else is changed.
std::string lowerAsciiText(std::u16string_view text) {
    std::string out;
    for (char16_t unit : text) {
        if (unit == 0 || out.size() == kMaxDateChars) break;
        char c = unit > 0x7F ? '?' : static_cast<char>(unit);
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        out += c;
    }
    return out;
}

// The whitespace that separates tokens.
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
// The whitespace the scanner skips before a number or a word, as scanf does in the C locale.
bool isScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A scanf-like reader over the working text. One reader for both builds: C libraries disagree on
// overflow and on which whitespace they skip, and stored ids depend on what is parsed here.
class Scanner {
  public:
    Scanner(std::string_view text, size_t position) : text_(text), position_(position) {}

    // "%d", or "%Nd" with a width: the sign counts toward the width, skipped whitespace does not.
    // A value that does not fit in 32 bits fails.
    bool readInt(int& value, size_t width = std::numeric_limits<size_t>::max()) {
        skipSpace();
        size_t used = 0;
        bool negative = false;
        if (used < width && position_ < text_.size() &&
            (text_[position_] == '+' || text_[position_] == '-')) {
            negative = text_[position_] == '-';
            ++position_, ++used;
        }
        int64_t magnitude = 0;
        size_t digits = 0;
        while (used < width && position_ < text_.size() && isDigit(text_[position_])) {
            magnitude = magnitude * 10 + (text_[position_] - '0');
            if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
            ++position_, ++used, ++digits;
        }
        if (digits == 0) return false;
        int64_t signedValue = negative ? -magnitude : magnitude;
        if (signedValue > std::numeric_limits<int32_t>::max()) return false;
        value = static_cast<int>(signedValue);
        return true;
    }

    // "%Ns": whitespace skipped, then at most maxChars characters up to the next whitespace.
    bool readWord(std::string& word, size_t maxChars) {
        skipSpace();
        if (position_ >= text_.size()) return false;
        size_t start = position_;
        while (position_ < text_.size() && position_ - start < maxChars && !isScanSpace(text_[position_]))
            ++position_;
        word.assign(text_.substr(start, position_ - start));
        return true;
    }

    // A literal character of the format: matched exactly, nothing skipped before it.
    bool expect(char c) {
        if (position_ >= text_.size() || text_[position_] != c) return false;
        ++position_;
        return true;
    }

  private:
    void skipSpace() {
        while (position_ < text_.size() && isScanSpace(text_[position_]))
            ++position_;
    }

    std::string_view text_;
    size_t position_;
};

// Token and whitespace skipping; each fails when it runs into the end of the text.
bool skipToken(std::string_view text, size_t& position) {
    while (position < text.size() && !isBlank(text[position]))
        ++position;
    return position < text.size();
}

bool skipBlanks(std::string_view text, size_t& position) {
    while (position < text.size() && isBlank(text[position]))
        ++position;
    return position < text.size();
}

bool skipTokenAndBlanks(std::string_view text, size_t& position) {
    return skipToken(text, position) && skipBlanks(text, position);
}

template <size_t N>
int indexOfPrefix(std::string_view text, const std::array<std::string_view, N>& names) {
    for (size_t i = 0; i < N; ++i)
        if (text.substr(0, 3) == names[i]) return static_cast<int>(i);
    return -1;
}

std::string_view zoneOffsetText(std::string_view zone) {
    if (!zone.empty() && (zone[0] == '-' || isDigit(zone[0]))) return zone;
    for (const ZoneOffset& entry : kZones)
        if (entry.name == zone) return entry.offset;
    return "0000";
}

// `date` at `minutes` past its midnight, which may lie in the day before or after: one carry at
// most, which also sets the true weekday.
SystemTime atMinuteOfDay(SystemTime date, int64_t minutes) {
    if (minutes < 0) {
        date = addDays(date, -1);
        minutes += 1440;
    } else if (minutes >= 1440) {
        date = addDays(date, 1);
        minutes -= 1440;
    }
    date.wHour = static_cast<uint16_t>(minutes / 60);
    date.wMinute = static_cast<uint16_t>(minutes % 60);
    return date;
}

}  // namespace

bool parsePubDate(std::u16string_view original, SystemTime* out) {
    if (!out) return false;
    const std::string buffer = lowerAsciiText(original);
    const std::string_view text = buffer;
    size_t position = 0;
    if (!skipBlanks(text, position)) return false;

    int dayOfWeek = indexOfPrefix(text.substr(position), kWeekdays);
    if (dayOfWeek >= 0) {
        // The rest of the weekday token goes too, so "tue," takes its comma with it.
        if (!skipTokenAndBlanks(text, position)) return false;
        if (text[position] == ',') ++position;
        if (!skipBlanks(text, position)) return false;
    } else {
        dayOfWeek = 0;
    }

    int day = 0;
    int year = 0;
    std::string monthWord;
    Scanner dateScanner(text, position);
    if (!dateScanner.readInt(day) || !dateScanner.readWord(monthWord, kMaxWordChars) ||
        !dateScanner.readInt(year))
        return false;
    for (int token = 0; token < 3; ++token)
        if (!skipTokenAndBlanks(text, position)) return false;

    int month = indexOfPrefix(std::string_view(monthWord), kMonths);
    if (month < 0) return false;
    if (year < 1900) year += year < 50 ? 2000 : 1900;

    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    Scanner timeScanner(text, position);
    if (!timeScanner.readInt(hours) || !timeScanner.expect(':') || !timeScanner.readInt(minutes) ||
        !timeScanner.expect(':') || !timeScanner.readInt(seconds))
        return false;
    if (!skipTokenAndBlanks(text, position)) return false;

    if (text[position] == '+') ++position;
    std::string zone;
    if (!Scanner(text, position).readWord(zone, kMaxWordChars)) zone = "GMT";
    std::string_view offset = zoneOffsetText(zone);

    int sign = 1;
    size_t offsetStart = 0;
    if (!offset.empty() && offset[0] == '-') sign = -1, offsetStart = 1;
    int offsetHours = 0;
    int offsetMinutes = 0;
    Scanner offsetScanner(offset, offsetStart);
    if (!offsetScanner.readInt(offsetHours, 2) || !offsetScanner.readInt(offsetMinutes, 2)) return false;

    SystemTime result;
    result.wYear = static_cast<uint16_t>(year);
    result.wMonth = static_cast<uint16_t>(month + 1);
    result.wDay = static_cast<uint16_t>(day);
    result.wDayOfWeek = static_cast<uint16_t>(dayOfWeek);
    result.wHour = static_cast<uint16_t>(hours);
    result.wMinute = static_cast<uint16_t>(minutes);
    result.wSecond = static_cast<uint16_t>(seconds);
    result.wMilliseconds = 0;

    // The offset is added, not subtracted: stored ids depend on it.
    *out = atMinuteOfDay(result,
                         int64_t{hours} * 60 + minutes + sign * (int64_t{offsetHours} * 60 + offsetMinutes));
    return true;
}

namespace {

// Reads exactly `count` digits.
bool readDigits(std::u16string_view text, size_t& position, size_t count, int& value) {
    if (position + count > text.size()) return false;
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = text[position + i];
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
    }
    position += count;
    return true;
}

bool take(std::u16string_view text, size_t& position, char16_t c) {
    if (position >= text.size() || text[position] != c) return false;
    ++position;
    return true;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool isDateSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

}  // namespace

std::optional<std::u16string> isoDateToRfc822(std::u16string_view text, SystemTime* time) {
    while (!text.empty() && isDateSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isDateSpace(text.back()))
        text.remove_suffix(1);
    size_t at = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!readDigits(text, at, 4, year) || !take(text, at, u'-') || !readDigits(text, at, 2, month) ||
        !take(text, at, u'-') || !readDigits(text, at, 2, day))
        return std::nullopt;
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    int offset = 0;  // minutes east of UTC
    if (at < text.size()) {
        if (text[at] != u'T' && text[at] != u't' && text[at] != u' ') return std::nullopt;
        ++at;
        if (!readDigits(text, at, 2, hour) || !take(text, at, u':') || !readDigits(text, at, 2, minute))
            return std::nullopt;
        if (take(text, at, u':')) {
            if (!readDigits(text, at, 2, second)) return std::nullopt;
            if (take(text, at, u'.') || take(text, at, u',')) {
                const size_t digits = at;
                while (at < text.size() && text[at] >= u'0' && text[at] <= u'9')
                    ++at;
                if (at == digits) return std::nullopt;
            }
        }
        // 24:00:00 is the end of the day; a leap second is kept within its minute.
        if (hour > 24 || minute > 59 || second > 60 || (hour == 24 && (minute != 0 || second != 0)))
            return std::nullopt;
        if (second == 60) second = 59;
        if (at < text.size()) {
            if (text[at] == u'Z' || text[at] == u'z') {
                ++at;
            } else if (text[at] == u'+' || text[at] == u'-') {
                const int sign = text[at++] == u'-' ? -1 : 1;
                int offsetHours = 0, offsetMinutes = 0;
                if (!readDigits(text, at, 2, offsetHours)) return std::nullopt;
                take(text, at, u':');
                if (at < text.size() && !readDigits(text, at, 2, offsetMinutes)) return std::nullopt;
                if (offsetHours > 23 || offsetMinutes > 59) return std::nullopt;
                offset = sign * (offsetHours * 60 + offsetMinutes);
            }
        }
        if (at != text.size()) return std::nullopt;
    }
    SystemTime date;
    date.wYear = static_cast<uint16_t>(year);
    date.wMonth = static_cast<uint16_t>(month);
    date.wDay = static_cast<uint16_t>(day);
    if (hour == 24) {
        date = addDays(date, 1);
        hour = 0;
    }
    // 1601-01-01 was a Monday.
    const int64_t weekday = (dayNumber(date.wYear, date.wMonth, date.wDay) + 1) % 7;
    if (time) {
        // What parsePubDate makes of the text written below, without reading it.
        date.wDayOfWeek = static_cast<uint16_t>(weekday);
        date.wSecond = static_cast<uint16_t>(second);
        date.wMilliseconds = 0;
        *time = atMinuteOfDay(date, int64_t{hour} * 60 + minute + offset);
    }
    static constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int magnitude = offset < 0 ? -offset : offset;
    // Written by hand into a fixed buffer, not by snprintf or appends: a feed of Atom entries converts
    // a date an entry, and the formatting was most of the conversion.
    char16_t buffer[40];
    char16_t* end = buffer;
    auto name = [&](const char* text) {
        for (; *text; ++text)
            *end++ = static_cast<char16_t>(*text);
    };
    auto number = [&](int value, int width) {
        char16_t digits[12];
        int count = 0;
        do {
            digits[count++] = static_cast<char16_t>(u'0' + value % 10);
            value /= 10;
        } while (value > 0 || count < width);
        while (count > 0)
            *end++ = digits[--count];
    };
    name(kDayNames[weekday]);
    name(", ");
    number(date.wDay, 2);
    *end++ = u' ';
    name(kMonthNames[date.wMonth - 1]);
    *end++ = u' ';
    number(date.wYear, 4);
    *end++ = u' ';
    number(hour, 2);
    *end++ = u':';
    number(minute, 2);
    *end++ = u':';
    number(second, 2);
    *end++ = u' ';
    *end++ = offset < 0 ? u'-' : u'+';
    number(magnitude / 60, 2);
    number(magnitude % 60, 2);
    return std::u16string(buffer, static_cast<size_t>(end - buffer));
}

}  // namespace corvane
