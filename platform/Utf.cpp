#include "platform/Utf.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool isSurrogatePair(std::u16string_view text, size_t i) {
    return isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1]);
}

// ASCII runs are most of any text here (markup, URLs, English prose), so both directions copy them
// sixteen at a time where the processor allows it and handle only the rest unit by unit.

// Copies the ASCII bytes at the start of `bytes` (at most `count`) to `out` as units; returns how many.
size_t widenAscii(const char* bytes, size_t count, char16_t* out) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        if (_mm_movemask_epi8(chunk) != 0) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(chunk, zero));
    }
#endif
    for (; i < count && static_cast<unsigned char>(bytes[i]) < 0x80; ++i)
        out[i] = static_cast<char16_t>(bytes[i]);
    return i;
}

#if defined(__SSE2__)
// True when the eight units at `units` are all ASCII.
bool asciiOctet(const char16_t* units, __m128i& chunk) {
    chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    const __m128i high = _mm_and_si128(chunk, _mm_set1_epi16(static_cast<short>(0xFF80)));
    return _mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) == 0xFFFF;
}
#endif

// The length of the ASCII run at the start of `units` (at most `count`).
size_t asciiPrefix(const char16_t* units, size_t count) {
    size_t i = 0;
#if defined(__SSE2__)
    __m128i chunk;
    while (i + 8 <= count && asciiOctet(units + i, chunk))
        i += 8;
#endif
    while (i < count && units[i] < 0x80)
        ++i;
    return i;
}

// Copies the ASCII units at the start of `units` (at most `count`) to `out` as bytes; returns how many.
size_t narrowAscii(const char16_t* units, size_t count, char* out) {
    size_t i = 0;
#if defined(__SSE2__)
    __m128i first, second;
    while (i + 16 <= count && asciiOctet(units + i, first) && asciiOctet(units + i + 8, second)) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(first, second));
        i += 16;
    }
#endif
    for (; i < count && units[i] < 0x80; ++i)
        out[i] = static_cast<char>(units[i]);
    return i;
}

// Decodes one sequence at text[i], advancing i. Anything malformed, overlong, a surrogate or beyond
// U+10FFFF gives U+FFFD for the longest valid beginning (at least one byte), as browsers do.
char32_t decodeUtf8(std::string_view text, size_t& i) {
    auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int extra;
    char32_t cp;
    // The second byte's range rules out overlong forms, surrogates and values beyond U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size()) return kReplacement;
        auto next = static_cast<unsigned char>(text[i]);
        if (next < low || next > high) return kReplacement;
        low = 0x80, high = 0xBF;
        cp = (cp << 6) | (next & 0x3F);
        ++i;
    }
    return cp;
}

}  // namespace

char* writeUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

char32_t nextCodePoint(std::u16string_view text, size_t& i) {
    const char16_t unit = text[i++];
    if (isHighSurrogate(unit) && i < text.size() && isLowSurrogate(text[i]))
        return 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i++]) - 0xDC00);
    return isHighSurrogate(unit) || isLowSurrogate(unit) ? kReplacement : unit;
}

// Both directions size their result first and write it in place: texts are often large (a
// description, a whole document) and are converted at every load and save.
std::string toUtf8(std::u16string_view text) {
    const char16_t* units = text.data();
    const size_t count = text.size();
    size_t size = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t run = asciiPrefix(units + i, count - i);
        size += run;
        i += run;
        if (i == count) break;
        if (units[i] < 0x800) {
            size += 2;
        } else if (isSurrogatePair(text, i)) {
            size += 4;
            ++i;
        } else {
            size += 3;  // lone surrogates included: they become U+FFFD
        }
    }
    std::string out(size, '\0');
    char* write = out.data();
    for (size_t i = 0; i < count;) {
        const size_t run = narrowAscii(units + i, count - i, write);
        write += run;
        i += run;
        if (i < count) write = writeUtf8(write, nextCodePoint(text, i));
    }
    return out;
}

void appendUtf8(std::u16string& out, std::string_view text) {
    // Never more units than bytes: every sequence, well-formed or not, takes at least one byte for
    // each unit it gives (four bytes for the two units of a surrogate pair).
    const size_t start = out.size();
    out.resize(start + text.size());
    char16_t* write = out.data() + start;
    const size_t size = text.size();
    size_t i = 0;
    while (i < size) {
        const size_t run = widenAscii(text.data() + i, size - i, write);
        write += run;
        i += run;
        if (i == size) break;
        char32_t cp = decodeUtf8(text, i);
        if (cp < 0x10000) {
            *write++ = static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            *write++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *write++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
    }
    out.resize(static_cast<size_t>(write - out.data()));
}

std::u16string fromUtf8(std::string_view text) {
    std::u16string out;
    appendUtf8(out, text);
    // Text far from ASCII (three bytes a unit) would otherwise keep up to three times its size.
    if (out.capacity() - out.size() > 64) out.shrink_to_fit();
    return out;
}

}  // namespace corvane
