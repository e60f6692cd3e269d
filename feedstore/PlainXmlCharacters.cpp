#include "feedstore/PlainXmlCharacters.h"

#include <array>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "feedstore/PlainXmlReader.h"

namespace corvane::xml {
namespace {

[[noreturn]] void notPlain() {
    throw NotPlainXml();
}

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence of an XML character at text[i] (a lead byte of
// 0x80 or more), or 0.
size_t sequenceLength(std::string_view text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const size_t left = text.size() - i;
    const unsigned char lead = at(0);
    if (lead >= 0xC2 && lead <= 0xDF) return left >= 2 && isContinuation(at(1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !isContinuation(at(1)) || !isContinuation(at(2))) return 0;
        if (lead == 0xE0 && at(1) < 0xA0) return 0;   // overlong
        if (lead == 0xED && at(1) >= 0xA0) return 0;  // a surrogate
        // U+FFFE and U+FFFF are no XML characters.
        if (lead == 0xEF && at(1) == 0xBF && (at(2) == 0xBE || at(2) == 0xBF)) return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !isContinuation(at(1)) || !isContinuation(at(2)) || !isContinuation(at(3))) return 0;
        if (lead == 0xF0 && at(1) < 0x90) return 0;   // overlong
        if (lead == 0xF4 && at(1) >= 0x90) return 0;  // beyond U+10FFFF
        return 4;
    }
    return 0;
}

// The character a reference at text[i] ('&') stands for, moving i past it; raises NotPlainXml for
// anything but the predefined entities and numeric references to XML characters.
char32_t reference(std::string_view text, size_t& i) {
    const std::string_view rest = text.substr(i);
    // The predefined entities, told apart by their first letter.
    const auto named = [&](std::string_view name, char c) {
        if (!rest.starts_with(name)) notPlain();
        i += name.size();
        return static_cast<char32_t>(c);
    };
    switch (rest.size() > 1 ? rest[1] : '\0') {
        case 'l':
            return named("&lt;", '<');
        case 'g':
            return named("&gt;", '>');
        case 'q':
            return named("&quot;", '"');
        case 'a':
            return rest.size() > 2 && rest[2] == 'm' ? named("&amp;", '&') : named("&apos;", '\'');
        default:
            break;
    }
    if (!rest.starts_with("&#")) notPlain();
    const bool hex = rest.size() > 2 && rest[2] == 'x';
    size_t k = hex ? 3 : 2;
    char32_t value = 0;
    const size_t firstDigit = k;
    for (; k < rest.size() && rest[k] != ';'; ++k) {
        const char c = rest[k];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0 || k - firstDigit >= 8) notPlain();
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (k == firstDigit || k == rest.size() || !isXmlChar(value)) notPlain();
    i += k + 1;
    return value;
}

// Bytes that stand for themselves: printable ASCII, in text but `&`, `<` and `]`, which may begin
// markup. Runs of them are most of a feed and are passed sixteen at a time where the processor allows.
template <bool literal>
constexpr auto kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c)
        plain[c] = literal || (c != '&' && c != '<' && c != ']');
    return plain;
}();

template <bool literal>
size_t plainRun(const char* bytes, size_t count) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= count; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        // Signed, bytes of 0x80 and above are below 0x20 too.
        __m128i other = _mm_cmplt_epi8(chunk, _mm_set1_epi8(0x20));
        if constexpr (!literal) {
            other = _mm_or_si128(other, _mm_cmpeq_epi8(chunk, _mm_set1_epi8('&')));
            other = _mm_or_si128(other, _mm_cmpeq_epi8(chunk, _mm_set1_epi8('<')));
            other = _mm_or_si128(other, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(']')));
        }
        if (const int found = _mm_movemask_epi8(other)) return i + static_cast<size_t>(__builtin_ctz(found));
    }
#endif
    while (i < count && kPlainBytes<literal>[static_cast<unsigned char>(bytes[i])])
        ++i;
    return i;
}

template <bool literal>
size_t check(std::string_view text, bool lineEnds) {
    size_t units = 0;
    for (size_t i = 0; i < text.size(); ++units) {
        const size_t run = plainRun<literal>(text.data() + i, text.size() - i);
        i += run;
        units += run;
        if (i == text.size()) break;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t length = sequenceLength(text, i);
            if (length == 0) notPlain();
            if (length == 4) ++units;  // a surrogate pair
            i += length;
        } else if (c == '&') {
            if (reference(text, i) >= 0x10000) ++units;
        } else if (c == '\r') {
            if (!lineEnds) notPlain();
            i += text.substr(i + 1).starts_with('\n') ? 2 : 1;
        } else if (c < 0x20 && c != '\t' && c != '\n') {
            notPlain();
        } else if (c == '<' || (c == ']' && text.substr(i).starts_with("]]>"))) {
            notPlain();
        } else {
            ++i;
        }
    }
    return units;
}

void putUnit(char16_t*& out, char32_t c) {
    if (c < 0x10000) {
        *out++ = static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (c >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// Copies `count` ASCII bytes as units.
void widen(const char* bytes, size_t count, char16_t* out) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(chunk, zero));
    }
#endif
    for (; i < count; ++i)
        out[i] = static_cast<char16_t>(bytes[i]);
}

}  // namespace

size_t checkCharacters(std::string_view text, bool lineEnds) {
    return check<false>(text, lineEnds);
}

size_t checkLiteralCharacters(std::string_view text, bool lineEnds) {
    return check<true>(text, lineEnds);
}

void decodeCharacters(std::string_view text, size_t units, CharacterData kind, std::u16string& out) {
    const size_t start = out.size();
    out.resize(start + units);
    char16_t* write = out.data() + start;
    const bool literal = kind == CharacterData::Literal;
    const bool attribute = kind == CharacterData::AttributeValue;
    for (size_t i = 0; i < text.size();) {
        const size_t run = literal ? plainRun<true>(text.data() + i, text.size() - i)
                                   : plainRun<false>(text.data() + i, text.size() - i);
        widen(text.data() + i, run, write);
        write += run;
        i += run;
        if (i == text.size()) break;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c == '&' && !literal) {
                putUnit(write, reference(text, i));
                continue;
            }
            if (c == '\r') {
                *write++ = attribute ? u' ' : u'\n';
                i += text.substr(i + 1).starts_with('\n') ? 2 : 1;
                continue;
            }
            *write++ = attribute && (c == '\t' || c == '\n') ? u' ' : static_cast<char16_t>(c);
            ++i;
            continue;
        }
        const auto at = [&](size_t k) {
            return static_cast<char32_t>(static_cast<unsigned char>(text[i + k]) & 0x3F);
        };
        if (c >= 0xF0) {
            putUnit(write, (static_cast<char32_t>(c & 0x07) << 18) | (at(1) << 12) | (at(2) << 6) | at(3));
            i += 4;
        } else if (c >= 0xE0) {
            putUnit(write, (static_cast<char32_t>(c & 0x0F) << 12) | (at(1) << 6) | at(2));
            i += 3;
        } else {
            putUnit(write, (static_cast<char32_t>(c & 0x1F) << 6) | at(1));
            i += 2;
        }
    }
}

}  // namespace corvane::xml
