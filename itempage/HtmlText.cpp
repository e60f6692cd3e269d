#include "itempage/HtmlText.h"

#include <array>
#include <string>
#include <unordered_map>

namespace corvane {
namespace {

// U+00A0 to U+00FF in order; these are also the names an HTML parser accepts without ";".
constexpr std::array<const char*, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

struct NamedReference {
    const char* name;
    char32_t code;
    bool legacy;  // also read without ";"
};

constexpr NamedReference kOtherNames[] = {
    {"amp", U'&', true},        {"AMP", U'&', true},       {"lt", U'<', true},
    {"LT", U'<', true},         {"gt", U'>', true},        {"GT", U'>', true},
    {"quot", U'"', true},       {"QUOT", U'"', true},      {"COPY", 0xA9, true},
    {"REG", 0xAE, true},        {"apos", U'\'', false},    {"Tab", 0x09, false},
    {"NewLine", 0x0A, false},   {"excl", U'!', false},     {"num", U'#', false},
    {"dollar", U'$', false},    {"percnt", U'%', false},   {"lpar", U'(', false},
    {"rpar", U')', false},      {"ast", U'*', false},      {"plus", U'+', false},
    {"comma", U',', false},     {"period", U'.', false},   {"sol", U'/', false},
    {"colon", U':', false},     {"semi", U';', false},     {"equals", U'=', false},
    {"quest", U'?', false},     {"commat", U'@', false},   {"lsqb", U'[', false},
    {"bsol", U'\\', false},     {"rsqb", U']', false},     {"Hat", U'^', false},
    {"lowbar", U'_', false},    {"grave", U'`', false},    {"lcub", U'{', false},
    {"verbar", U'|', false},    {"rcub", U'}', false},     {"OElig", 0x152, false},
    {"oelig", 0x153, false},    {"Scaron", 0x160, false},  {"scaron", 0x161, false},
    {"Yuml", 0x178, false},     {"fnof", 0x192, false},    {"circ", 0x2C6, false},
    {"tilde", 0x2DC, false},    {"Alpha", 0x391, false},   {"Beta", 0x392, false},
    {"Gamma", 0x393, false},    {"Delta", 0x394, false},   {"Epsilon", 0x395, false},
    {"Zeta", 0x396, false},     {"Eta", 0x397, false},     {"Theta", 0x398, false},
    {"Iota", 0x399, false},     {"Kappa", 0x39A, false},   {"Lambda", 0x39B, false},
    {"Mu", 0x39C, false},       {"Nu", 0x39D, false},      {"Xi", 0x39E, false},
    {"Omicron", 0x39F, false},  {"Pi", 0x3A0, false},      {"Rho", 0x3A1, false},
    {"Sigma", 0x3A3, false},    {"Tau", 0x3A4, false},     {"Upsilon", 0x3A5, false},
    {"Phi", 0x3A6, false},      {"Chi", 0x3A7, false},     {"Psi", 0x3A8, false},
    {"Omega", 0x3A9, false},    {"alpha", 0x3B1, false},   {"beta", 0x3B2, false},
    {"gamma", 0x3B3, false},    {"delta", 0x3B4, false},   {"epsilon", 0x3B5, false},
    {"zeta", 0x3B6, false},     {"eta", 0x3B7, false},     {"theta", 0x3B8, false},
    {"iota", 0x3B9, false},     {"kappa", 0x3BA, false},   {"lambda", 0x3BB, false},
    {"mu", 0x3BC, false},       {"nu", 0x3BD, false},      {"xi", 0x3BE, false},
    {"omicron", 0x3BF, false},  {"pi", 0x3C0, false},      {"rho", 0x3C1, false},
    {"sigmaf", 0x3C2, false},   {"sigma", 0x3C3, false},   {"tau", 0x3C4, false},
    {"upsilon", 0x3C5, false},  {"phi", 0x3C6, false},     {"chi", 0x3C7, false},
    {"psi", 0x3C8, false},      {"omega", 0x3C9, false},   {"thetasym", 0x3D1, false},
    {"upsih", 0x3D2, false},    {"piv", 0x3D6, false},     {"ensp", 0x2002, false},
    {"emsp", 0x2003, false},    {"thinsp", 0x2009, false}, {"zwnj", 0x200C, false},
    {"zwj", 0x200D, false},     {"lrm", 0x200E, false},    {"rlm", 0x200F, false},
    {"ndash", 0x2013, false},   {"mdash", 0x2014, false},  {"lsquo", 0x2018, false},
    {"rsquo", 0x2019, false},   {"sbquo", 0x201A, false},  {"ldquo", 0x201C, false},
    {"rdquo", 0x201D, false},   {"bdquo", 0x201E, false},  {"dagger", 0x2020, false},
    {"Dagger", 0x2021, false},  {"bull", 0x2022, false},   {"hellip", 0x2026, false},
    {"permil", 0x2030, false},  {"prime", 0x2032, false},  {"Prime", 0x2033, false},
    {"lsaquo", 0x2039, false},  {"rsaquo", 0x203A, false}, {"oline", 0x203E, false},
    {"frasl", 0x2044, false},   {"euro", 0x20AC, false},   {"image", 0x2111, false},
    {"weierp", 0x2118, false},  {"real", 0x211C, false},   {"trade", 0x2122, false},
    {"alefsym", 0x2135, false}, {"larr", 0x2190, false},   {"uarr", 0x2191, false},
    {"rarr", 0x2192, false},    {"darr", 0x2193, false},   {"harr", 0x2194, false},
    {"crarr", 0x21B5, false},   {"lArr", 0x21D0, false},   {"uArr", 0x21D1, false},
    {"rArr", 0x21D2, false},    {"dArr", 0x21D3, false},   {"hArr", 0x21D4, false},
    {"forall", 0x2200, false},  {"part", 0x2202, false},   {"exist", 0x2203, false},
    {"empty", 0x2205, false},   {"nabla", 0x2207, false},  {"isin", 0x2208, false},
    {"notin", 0x2209, false},   {"ni", 0x220B, false},     {"prod", 0x220F, false},
    {"sum", 0x2211, false},     {"minus", 0x2212, false},  {"lowast", 0x2217, false},
    {"radic", 0x221A, false},   {"prop", 0x221D, false},   {"infin", 0x221E, false},
    {"ang", 0x2220, false},     {"and", 0x2227, false},    {"or", 0x2228, false},
    {"cap", 0x2229, false},     {"cup", 0x222A, false},    {"int", 0x222B, false},
    {"there4", 0x2234, false},  {"sim", 0x223C, false},    {"cong", 0x2245, false},
    {"asymp", 0x2248, false},   {"ne", 0x2260, false},     {"equiv", 0x2261, false},
    {"le", 0x2264, false},      {"ge", 0x2265, false},     {"sub", 0x2282, false},
    {"sup", 0x2283, false},     {"nsub", 0x2284, false},   {"sube", 0x2286, false},
    {"supe", 0x2287, false},    {"oplus", 0x2295, false},  {"otimes", 0x2297, false},
    {"perp", 0x22A5, false},    {"sdot", 0x22C5, false},   {"lceil", 0x2308, false},
    {"rceil", 0x2309, false},   {"lfloor", 0x230A, false}, {"rfloor", 0x230B, false},
    {"lang", 0x27E8, false},    {"rang", 0x27E9, false},   {"loz", 0x25CA, false},
    {"spades", 0x2660, false},  {"clubs", 0x2663, false},  {"hearts", 0x2665, false},
    {"diams", 0x2666, false},
};

constexpr size_t kLongestName = 8;  // "thetasym"

const std::unordered_map<std::string, NamedReference>& namedReferences() {
    static const std::unordered_map<std::string, NamedReference> table = [] {
        std::unordered_map<std::string, NamedReference> names;
        for (size_t i = 0; i < kLatin1Names.size(); ++i)
            names.emplace(kLatin1Names[i],
                          NamedReference{kLatin1Names[i], static_cast<char32_t>(0xA0 + i), true});
        for (const NamedReference& reference : kOtherNames)
            names.emplace(reference.name, reference);
        return names;
    }();
    return table;
}

// Numbers 0x80 to 0x9F name the Windows-1252 characters, as pages written on Windows meant them;
// 0 stands for "no change".
constexpr std::array<char16_t, 32> kWindows1252 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isAsciiHexDigit(char16_t c) {
    return isAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
bool isAsciiAlphanumeric(char16_t c) {
    return isAsciiDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

void appendCodePoint(std::u16string& out, char32_t code) {
    if (code >= 0x10000) {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(code));
    }
}

size_t decodeNumericReference(std::u16string_view text, std::u16string& out) {
    size_t pos = 2;  // past "&#"
    const bool hex = pos < text.size() && (text[pos] == u'x' || text[pos] == u'X');
    if (hex) ++pos;
    const size_t digitsStart = pos;
    char32_t value = 0;
    bool tooLarge = false;
    while (pos < text.size() && (hex ? isAsciiHexDigit(text[pos]) : isAsciiDigit(text[pos]))) {
        const char16_t c = text[pos++];
        const unsigned digit = isAsciiDigit(c) ? c - u'0' : (c | 0x20) - u'a' + 10;
        if (!tooLarge) {
            value = value * (hex ? 16 : 10) + digit;
            tooLarge = value > 0x10FFFF;
        }
    }
    if (pos == digitsStart) return 0;
    if (pos < text.size() && text[pos] == u';') ++pos;

    if (tooLarge || value == 0 || (value >= 0xD800 && value <= 0xDFFF)) {
        value = 0xFFFD;
    } else if (value >= 0x80 && value <= 0x9F && kWindows1252[value - 0x80] != 0) {
        value = kWindows1252[value - 0x80];
    }
    appendCodePoint(out, value);
    return pos;
}

size_t decodeNamedReference(std::u16string_view text, HtmlTextContext context, std::u16string& out) {
    size_t end = 1;
    while (end < text.size() && end <= kLongestName + 1 && isAsciiAlphanumeric(text[end]))
        ++end;
    std::string name;
    for (size_t i = 1; i < end; ++i)
        name.push_back(static_cast<char>(text[i]));

    const auto& table = namedReferences();
    if (end < text.size() && text[end] == u';') {
        if (auto found = table.find(name); found != table.end()) {
            appendCodePoint(out, found->second.code);
            return end + 1;
        }
    }
    // Without ";" (or with an unknown longer name) the longest legacy name at the start counts.
    for (size_t length = std::min(name.size(), kLongestName); length >= 2; --length) {
        auto found = table.find(name.substr(0, length));
        if (found == table.end() || !found->second.legacy) continue;
        const size_t after = 1 + length;
        if (context == HtmlTextContext::Attribute && after < text.size() &&
            (isAsciiAlphanumeric(text[after]) || text[after] == u'='))
            return 0;
        appendCodePoint(out, found->second.code);
        return after;
    }
    return 0;
}

}  // namespace

size_t decodeCharacterReference(std::u16string_view text, HtmlTextContext context, std::u16string& out) {
    if (text.size() < 2 || text[0] != u'&') return 0;
    if (text[1] == u'#') return decodeNumericReference(text, out);
    return decodeNamedReference(text, context, out);
}

std::u16string decodeEntities(std::u16string_view text, HtmlTextContext context) {
    std::u16string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == u'&') {
            if (size_t used = decodeCharacterReference(text.substr(pos), context, out)) {
                pos += used;
                continue;
            }
        }
        out.push_back(text[pos++]);
    }
    return out;
}

namespace {

// One escaper for both contexts: attribute values also lose their quotes and the backtick.
void appendEscaped(std::u16string& out, std::u16string_view text, bool attribute) {
    for (char16_t c : text) {
        switch (c) {
            case u'&':
                out += u"&amp;";
                continue;
            case u'<':
                out += u"&lt;";
                continue;
            case u'>':
                out += u"&gt;";
                continue;
            case u'\r':
                out += u"&#13;";
                continue;
            default:
                break;
        }
        if (attribute && c == u'"')
            out += u"&quot;";
        else if (attribute && c == u'\'')
            out += u"&#39;";
        else if (attribute && c == u'`')
            out += u"&#96;";
        else
            out.push_back(c);
    }
}

}  // namespace

void appendHtmlText(std::u16string& out, std::u16string_view text) {
    appendEscaped(out, text, false);
}

std::u16string escapeHtmlText(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    appendHtmlText(out, text);
    return out;
}

void appendHtmlAttribute(std::u16string& out, std::u16string_view text) {
    appendEscaped(out, text, true);
}

std::u16string escapeHtmlAttribute(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    appendHtmlAttribute(out, text);
    return out;
}

}  // namespace corvane
