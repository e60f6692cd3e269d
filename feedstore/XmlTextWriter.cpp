#include "feedstore/XmlTextWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string_view>

#include "platform/Utf.h"

namespace corvane {
namespace {

// The longest a single unit becomes: "&quot;".
constexpr size_t kMaxBytesPerUnit = 6;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// What an ASCII unit is written as; an empty entry means the unit itself. Line feeds and tabs in
// content survive a parse as they are; in an attribute value a parse would turn them into spaces. A
// carriage return is a reference in both, or the parse would make it a line feed.
using AsciiTable = std::array<std::string_view, 0x80>;

constexpr AsciiTable asciiTable(bool inAttribute) {
    AsciiTable table{};
    for (char c = 0; c < 0x20; ++c)
        table[static_cast<size_t>(c)] = kReplacement;
    table['\t'] = inAttribute ? "&#9;" : "";
    table['\n'] = inAttribute ? "&#10;" : "";
    table['\r'] = "&#13;";
    table['&'] = "&amp;";
    table['<'] = "&lt;";
    table['>'] = "&gt;";
    if (inAttribute) table['"'] = "&quot;";
    return table;
}

constexpr AsciiTable kContentTable = asciiTable(false);
constexpr AsciiTable kAttributeTable = asciiTable(true);

char* put(char* out, std::string_view bytes) {
    std::memcpy(out, bytes.data(), bytes.size());
    return out + bytes.size();
}

}  // namespace

XmlTextWriter::XmlTextWriter(size_t expectedSize)
    : data_(new char[expectedSize ? expectedSize : 1]), capacity_(expectedSize ? expectedSize : 1) {}

char* XmlTextWriter::room(size_t count) {
    if (capacity_ - size_ < count) {
        const size_t capacity = std::max(capacity_ * 2, size_ + count);
        std::unique_ptr<char[]> grown(new char[capacity]);
        std::memcpy(grown.get(), data_.get(), size_);
        data_ = std::move(grown);
        capacity_ = capacity;
    }
    return data_.get() + size_;
}

void XmlTextWriter::markup(std::string_view ascii) {
    put(room(ascii.size()), ascii);
    size_ += ascii.size();
}

void XmlTextWriter::text(std::u16string_view text) {
    escaped<false>(text);
}

void XmlTextWriter::attribute(std::u16string_view value) {
    escaped<true>(value);
}

void XmlTextWriter::decimal(int32_t value) {
    char* out = room(16);
    size_ = static_cast<size_t>(std::to_chars(out, out + 16, value).ptr - data_.get());
}

template <bool InAttribute>
void XmlTextWriter::escaped(std::u16string_view text) {
    const AsciiTable& table = InAttribute ? kAttributeTable : kContentTable;
    char* const start = room(text.size() * kMaxBytesPerUnit);
    char* out = start;
    for (size_t i = 0; i < text.size();) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            const std::string_view replacement = table[unit];
            if (replacement.empty())
                *out++ = static_cast<char>(unit);
            else
                out = put(out, replacement);
            ++i;
        } else {
            // A lone surrogate comes back as U+FFFD; the two non-characters XML also refuses go the same way.
            const char32_t point = nextCodePoint(text, i);
            out = point == 0xFFFE || point == 0xFFFF ? put(out, kReplacement) : writeUtf8(out, point);
        }
    }
    size_ += static_cast<size_t>(out - start);
}

}  // namespace corvane
