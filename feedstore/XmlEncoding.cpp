#include "feedstore/XmlEncoding.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace corvane {
namespace {

constexpr char kOtherCharacter = '\x80';

// EBCDIC code pages, as "ibm037", "cp500", "ibm-1047", "x-ebcdic-…".
bool isEbcdicName(std::string_view name) {
    static constexpr int kPages[] = {37,  273, 277, 278,  280,  284,  285,  290,  297,  420,  423, 424,
                                     500, 833, 836, 838,  870,  871,  875,  880,  905,  924,  930, 933,
                                     935, 937, 939, 1025, 1026, 1047, 1112, 1122, 1123, 1130, 1132};
    if (name.find("ebcdic") != std::string_view::npos) return true;
    for (std::string_view prefix : {"x-ibm", "ibm", "cp", "cs-ibm", "csibm"}) {
        if (!name.starts_with(prefix)) continue;
        std::string_view digits = name.substr(prefix.size());
        if (digits.starts_with("-") || digits.starts_with("_")) digits.remove_prefix(1);
        if (digits.empty() || digits.size() > 5 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const int page = std::stoi(std::string(digits));
        if (page >= 1140 && page <= 1149) return true;  // the euro variants
        if (std::find(std::begin(kPages), std::end(kPages), page) != std::end(kPages)) return true;
    }
    return false;
}

// Encodings that can spell '<', '&' or a quote other than as its ASCII byte.
bool hidesMarkup(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    for (std::string_view prefix : {"utf-7", "utf7", "unicode-1-1-utf-7", "csunicode11utf7",
                                    "x-unicode20utf7", "iso-2022", "csiso2022", "hz-gb", "x-imap4"})
        if (name.starts_with(prefix)) return true;
    return isEbcdicName(name);
}

// The encoding the XML declaration at the start of an 8-bit document names, if any.
std::string declaredEncoding(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (!text.starts_with("<?xml")) return {};
    text = text.substr(0, text.find("?>"));
    const size_t key = text.find("encoding");
    if (key == std::string_view::npos) return {};
    size_t at = text.find_first_of("\"'", key);
    if (at == std::string_view::npos) return {};
    const size_t end = text.find(text[at], at + 1);
    if (end == std::string_view::npos) return {};
    return std::string(text.substr(at + 1, end - at - 1));
}

}  // namespace

MarkupEncoding detectMarkupEncoding(std::span<const uint8_t> bytes) {
    if (bytes.size() >= 4) {
        const uint32_t first = uint32_t(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
        switch (first) {
            case 0x0000FEFF:
                return MarkupEncoding::Ucs4BE;
            case 0xFFFE0000:
                return MarkupEncoding::Ucs4LE;
            case 0x0000FFFE:
            case 0xFEFF0000:
            case 0x4C6FA794:  // "<?xm" in EBCDIC
                return MarkupEncoding::Unreadable;
        }
        const bool zero[4] = {bytes[0] == 0, bytes[1] == 0, bytes[2] == 0, bytes[3] == 0};
        if (zero[0] && zero[1] && zero[2] && !zero[3]) return MarkupEncoding::Ucs4BE;
        if (!zero[0] && zero[1] && zero[2] && zero[3]) return MarkupEncoding::Ucs4LE;
        if (zero[0] && !zero[1] && zero[2] && !zero[3]) return MarkupEncoding::Utf16BE;
        if (!zero[0] && zero[1] && !zero[2] && zero[3]) return MarkupEncoding::Utf16LE;
    }
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return MarkupEncoding::Utf16BE;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return MarkupEncoding::Utf16LE;
    // Any other start with a zero byte is no layout a parser recognises either.
    const size_t head = std::min<size_t>(bytes.size(), 4);
    if (std::find(bytes.begin(), bytes.begin() + head, 0) != bytes.begin() + head)
        return MarkupEncoding::Unreadable;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                                std::min<size_t>(bytes.size(), 256));
    return hidesMarkup(declaredEncoding(text)) ? MarkupEncoding::Unreadable : MarkupEncoding::Bytes;
}

std::optional<std::string> narrowMarkup(std::span<const uint8_t> bytes, MarkupEncoding encoding) {
    size_t width = 0;
    bool littleEndian = false;
    switch (encoding) {
        case MarkupEncoding::Utf16LE:
            width = 2, littleEndian = true;
            break;
        case MarkupEncoding::Utf16BE:
            width = 2;
            break;
        case MarkupEncoding::Ucs4LE:
            width = 4, littleEndian = true;
            break;
        case MarkupEncoding::Ucs4BE:
            width = 4;
            break;
        case MarkupEncoding::Bytes:
        case MarkupEncoding::Unreadable:
            return std::nullopt;
    }
    std::string text;
    text.reserve(bytes.size() / width);
    for (size_t i = 0; i + width <= bytes.size(); i += width) {
        uint32_t unit = 0;
        for (size_t b = 0; b < width; ++b)
            unit |= uint32_t(bytes[i + b]) << 8 * (littleEndian ? b : width - 1 - b);
        if (i == 0 && unit == 0xFEFF) continue;  // the byte-order mark
        text += unit < 0x80 ? static_cast<char>(unit) : kOtherCharacter;
    }
    return text;
}

}  // namespace corvane
