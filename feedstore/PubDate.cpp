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

    // The offset is added, not subtracted: stored ids depend on it. One carry at most, which also
    // sets the true weekday.
    int64_t total = int64_t{hours} * 60 + minutes + sign * (int64_t{offsetHours} * 60 + offsetMinutes);
    if (total < 0) {
        result = addDays(result, -1);
        total += 1440;
    } else if (total >= 1440) {
        result = addDays(result, 1);
        total -= 1440;
    }
    result.wHour = static_cast<uint16_t>(total / 60);
    result.wMinute = static_cast<uint16_t>(total % 60);
    *out = result;
    return true;
}

}  // namespace corvane
