// Our own reader and writer of .ini files, following GetPrivateProfileStringW and
// WritePrivateProfileStringW (see ProfileFile.h for the rules).
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileProbe.h"
#include "platform/FileReplace.h"
#include "platform/ProfileFile.h"
#include "platform/Trace.h"
#include "platform/Utf.h"

namespace corvane {
namespace {

enum class Encoding { Narrow, Utf16Le, Utf16Be };

// One line of the file, kept as it lies there so a line the write does not touch goes back byte for
// byte.
struct Line {
    std::u16string text;  // decoded, without the line ending
    std::string body;     // the bytes of the text
    std::string ending;   // the bytes of the line ending; empty only for a last line without one
};

struct Contents {
    Encoding encoding = Encoding::Narrow;
    std::string byteOrderMark;  // as found, written back first
    std::vector<Line> lines;
};

std::string encode(std::u16string_view text, Encoding encoding) {
    if (encoding == Encoding::Narrow) return toUtf8(text);
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        char low = static_cast<char>(unit & 0xFF);
        char high = static_cast<char>(unit >> 8);
        if (encoding == Encoding::Utf16Le) {
            bytes += low;
            bytes += high;
        } else {
            bytes += high;
            bytes += low;
        }
    }
    return bytes;
}

// A stray last byte of a UTF-16 file is no character and is dropped.
std::u16string decodeUtf16(std::string_view bytes, Encoding encoding) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto first = static_cast<uint8_t>(bytes[i]);
        auto second = static_cast<uint8_t>(bytes[i + 1]);
        text += encoding == Encoding::Utf16Le ? static_cast<char16_t>(first | (second << 8))
                                              : static_cast<char16_t>((first << 8) | second);
    }
    return text;
}

// Calls `take(body, ending)` for each line; lines end at a line feed, with a carriage return before it
// counted as part of the ending.
template <class Char, class Take>
void splitLines(std::basic_string_view<Char> text, Take take) {
    size_t start = 0;
    while (start < text.size()) {
        size_t feed = text.find(Char('\n'), start);
        size_t end = feed == text.npos ? text.size() : feed + 1;
        size_t bodyEnd = feed == text.npos ? end : feed;
        if (bodyEnd > start && text[bodyEnd - 1] == Char('\r') && feed != text.npos) --bodyEnd;
        take(text.substr(start, bodyEnd - start), text.substr(bodyEnd, end - bodyEnd));
        start = end;
    }
}

Contents parse(std::string_view bytes) {
    Contents contents;
    if (bytes.starts_with("\xFF\xFE")) {
        contents.encoding = Encoding::Utf16Le;
        contents.byteOrderMark = bytes.substr(0, 2);
    } else if (bytes.starts_with("\xFE\xFF")) {
        contents.encoding = Encoding::Utf16Be;
        contents.byteOrderMark = bytes.substr(0, 2);
    } else if (bytes.starts_with("\xEF\xBB\xBF")) {
        contents.byteOrderMark = bytes.substr(0, 3);
    }
    bytes.remove_prefix(contents.byteOrderMark.size());

    if (contents.encoding == Encoding::Narrow) {
        // The bytes themselves are split: a line that is not valid UTF-8 still goes back unchanged.
        splitLines(bytes, [&](std::string_view body, std::string_view ending) {
            contents.lines.push_back({fromUtf8(body), std::string(body), std::string(ending)});
        });
    } else {
        std::u16string text = decodeUtf16(bytes, contents.encoding);
        splitLines(std::u16string_view(text), [&](std::u16string_view body, std::u16string_view ending) {
            contents.lines.push_back(
                {std::u16string(body), encode(body, contents.encoding), encode(ending, contents.encoding)});
        });
    }
    return contents;
}

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == 0x1A;
}

std::u16string_view trim(std::u16string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

char16_t upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

// What one line is to the profile reader.
struct Entry {
    enum class Kind { Blank, Section, Key } kind = Kind::Blank;
    std::u16string_view name;
    std::optional<std::u16string_view> value;  // none: a key line without "="
};

Entry classify(std::u16string_view text) {
    std::u16string_view line = trim(text);
    if (line.empty()) return {};
    if (line.front() == u'[') {
        size_t close = line.rfind(u']');
        if (close != std::u16string_view::npos)
            return {Entry::Kind::Section, trim(line.substr(1, close - 1)), std::nullopt};
    }
    size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) return {Entry::Kind::Key, line, std::nullopt};
    return {Entry::Kind::Key, trim(line.substr(0, equals)), trim(line.substr(equals + 1))};
}

constexpr size_t kNone = static_cast<size_t>(-1);

struct Place {
    size_t section = kNone;        // the header of the first section of the name
    size_t key = kNone;            // the first line of that section with the key
    size_t lastInSection = kNone;  // the section's last line that is not blank
};

Place find(const Contents& contents, std::u16string_view section, std::u16string_view key) {
    Place place;
    for (size_t i = 0; i < contents.lines.size(); ++i) {
        Entry entry = classify(contents.lines[i].text);
        if (entry.kind == Entry::Kind::Section) {
            if (place.section != kNone) break;
            if (sameName(entry.name, section)) place.section = place.lastInSection = i;
        } else if (place.section != kNone && entry.kind == Entry::Kind::Key) {
            place.lastInSection = i;
            if (place.key == kNone && sameName(entry.name, key)) place.key = i;
        }
    }
    return place;
}

std::u16string_view unquote(std::u16string_view value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::optional<std::string> readBytes(std::u16string_view path) {
    std::ifstream file(toUtf8(path), std::ios::binary);
    if (!file) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return bytes;
}

Line newLine(std::u16string text, Encoding encoding) {
    std::string body = encode(text, encoding);
    return {std::move(text), std::move(body), encode(u"\r\n", encoding)};
}

void endLine(Line& line, Encoding encoding) {
    if (line.ending.empty()) line.ending = encode(u"\r\n", encoding);
}

}  // namespace

std::u16string ProfileFile::readString(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view defaultValue) const {
    while (!defaultValue.empty() && defaultValue.back() == u' ')
        defaultValue.remove_suffix(1);
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || probeFile(path_) != FileProbe::Readable)
        return std::u16string(defaultValue);
    std::optional<std::string> bytes = readBytes(path_);
    if (!bytes) return std::u16string(defaultValue);

    Contents contents = parse(*bytes);
    Place place = find(contents, section, key);
    if (place.key == kNone) return std::u16string(defaultValue);
    Entry entry = classify(contents.lines[place.key].text);
    if (!entry.value) return std::u16string(defaultValue);
    return std::u16string(unquote(*entry.value));
}

bool ProfileFile::writeString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view value) const {
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty()) return false;
    Contents contents;
    switch (probeFile(path_)) {
        case FileProbe::Missing:
            break;
        case FileProbe::Unreadable:
            return false;
        case FileProbe::Readable: {
            std::optional<std::string> bytes = readBytes(path_);
            if (!bytes) return false;
            contents = parse(*bytes);
            break;
        }
    }

    Encoding encoding = contents.encoding;
    std::vector<Line>& lines = contents.lines;
    Place place = find(contents, section, key);
    if (place.key != kNone) {
        // The key keeps its spelling; the line keeps its ending.
        Line& line = lines[place.key];
        line.text = std::u16string(classify(line.text).name) + u"=" + std::u16string(value);
        line.body = encode(line.text, encoding);
    } else if (place.section != kNone) {
        endLine(lines[place.lastInSection], encoding);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.lastInSection + 1),
                     newLine(std::u16string(key) + u"=" + std::u16string(value), encoding));
    } else {
        if (!lines.empty()) endLine(lines.back(), encoding);
        lines.push_back(newLine(u"[" + std::u16string(section) + u"]", encoding));
        lines.push_back(newLine(std::u16string(key) + u"=" + std::u16string(value), encoding));
    }

    std::string bytes = contents.byteOrderMark;
    for (const Line& line : lines)
        bytes += line.body + line.ending;
    FileReplaceResult written = replaceFileAtomically(path_, bytes);
    if (!written) traceError(u"%s", static_cast<uint32_t>(written.status), written.description);
    return static_cast<bool>(written);
}

}  // namespace corvane
