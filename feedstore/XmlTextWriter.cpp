#include "feedstore/XmlTextWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string_view>

#include "platform/Utf.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Copies the units at `units` that need no escaping, eight at a time, as bytes to `out`; returns how
// many. Texts are mostly such runs, and a store holds megabytes of them.
template <bool InAttribute>
size_t copyPlainRun(const char16_t* units, size_t count, char* out) {
    const __m128i space = _mm_set1_epi16(0x20);
    const __m128i tilde = _mm_set1_epi16(0x7E);
    const __m128i ampersand = _mm_set1_epi16('&');
    const __m128i less = _mm_set1_epi16('<');
    const __m128i greater = _mm_set1_epi16('>');
    const __m128i quote = _mm_set1_epi16('"');
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        // Signed compares: units from U+8000 up count as below the space, so they stop the run too.
        __m128i special = _mm_or_si128(_mm_cmplt_epi16(chunk, space), _mm_cmpgt_epi16(chunk, tilde));
        special = _mm_or_si128(special, _mm_cmpeq_epi16(chunk, ampersand));
        special = _mm_or_si128(special, _mm_cmpeq_epi16(chunk, less));
        special = _mm_or_si128(special, _mm_cmpeq_epi16(chunk, greater));
        if (InAttribute) special = _mm_or_si128(special, _mm_cmpeq_epi16(chunk, quote));
        if (_mm_movemask_epi8(special) != 0) break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(chunk, chunk));
    }
    return i;
}
#endif

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
#if defined(__SSE2__)
        const size_t run = copyPlainRun<InAttribute>(text.data() + i, text.size() - i, out);
        out += run;
        i += run;
        if (i == text.size()) break;
#endif
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
