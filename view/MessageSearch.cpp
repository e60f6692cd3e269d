#include "view/MessageSearch.h"

#include <array>

#include "itempage/MarkupText.h"

namespace corvane {
namespace {

// The base letters of U+00C0 to U+00FF; '\0' keeps the character, '*' stands for two letters.
constexpr char kLatin1Bases[] =
    "aaaaaa*ceeeeiiiidnooooo\0ouuuuy**"
    "aaaaaa*ceeeeiiiidnooooo\0ouuuuy*y";

// U+0100 to U+017F in runs of the same base letter ('*': the ligatures ĳ and œ).
struct Run {
    char16_t last;
    char base;
};
constexpr std::array<Run, 22> kExtendedARuns = {{
    {0x105, 'a'}, {0x10D, 'c'}, {0x111, 'd'}, {0x11B, 'e'}, {0x123, 'g'}, {0x127, 'h'},
    {0x131, 'i'}, {0x133, '*'}, {0x135, 'j'}, {0x138, 'k'}, {0x142, 'l'}, {0x14B, 'n'},
    {0x151, 'o'}, {0x153, '*'}, {0x159, 'r'}, {0x161, 's'}, {0x167, 't'}, {0x173, 'u'},
    {0x175, 'w'}, {0x178, 'y'}, {0x17E, 'z'}, {0x17F, 's'},
}};

// Greek vowels with tonos or dialytika, either case: the plain small vowel; 0 for anything else.
char16_t greekBase(char16_t c) {
    switch (c) {
        case 0x386:
        case 0x3AC:
            return 0x3B1;
        case 0x388:
        case 0x3AD:
            return 0x3B5;
        case 0x389:
        case 0x3AE:
            return 0x3B7;
        case 0x38A:
        case 0x3AF:
        case 0x3CA:
        case 0x390:
        case 0x3AA:
            return 0x3B9;
        case 0x38C:
        case 0x3CC:
            return 0x3BF;
        case 0x38E:
        case 0x3CD:
        case 0x3CB:
        case 0x3B0:
        case 0x3AB:
            return 0x3C5;
        case 0x38F:
        case 0x3CE:
            return 0x3C9;
        default:
            return 0;
    }
}

void appendFolded(char16_t c, std::u16string& out) {
    if (c >= u'A' && c <= u'Z') {
        out.push_back(static_cast<char16_t>(c + 0x20));
    } else if (c < 0xC0) {
        out.push_back(c);
    } else if (c <= 0xFF) {
        const char base = kLatin1Bases[c - 0xC0];
        if (base == '*') {
            const bool upper = c < 0xE0;
            const char16_t lower = upper ? static_cast<char16_t>(c + 0x20) : c;
            out += lower == 0xE6 ? u"ae" : lower == 0xFE ? u"th" : u"ss";  // æ, þ, ß
        } else {
            out.push_back(base ? static_cast<char16_t>(base) : c);
        }
    } else if (c <= 0x17F) {
        for (const Run& run : kExtendedARuns) {
            if (c > run.last) continue;
            if (run.base == '*')
                out += c <= 0x133 ? u"ij" : u"oe";
            else
                out.push_back(static_cast<char16_t>(run.base));
            return;
        }
    } else if (c >= 0x300 && c <= 0x36F) {
        // A combining accent of a decomposed letter.
    } else if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) {
        out.push_back(static_cast<char16_t>(c + 0x20));
    } else if (c >= 0x400 && c <= 0x40F) {
        out.push_back(static_cast<char16_t>(c + 0x50));
    } else if (c == 0x3C2) {  // final sigma
        out.push_back(0x3C3);
    } else if (char16_t greek = greekBase(c)) {
        out.push_back(greek);
    } else {
        out.push_back(c);
    }
}

}  // namespace

bool isWordSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == 0x00A0 || c == 0x3000;
}

std::u16string foldForSearch(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text)
        appendFolded(c, out);
    return out;
}

std::u16string searchTextOf(const RSSItem& item) {
    std::u16string text;
    for (const std::u16string* field : {&item.title, &item.description, &item.content, &item.author}) {
        if (!text.empty()) text.push_back(u'\n');
        text += foldForSearch(markupAsText(*field));
    }
    return text;
}

MessageQuery::MessageQuery(std::u16string_view query) {
    const std::u16string folded = foldForSearch(query);
    size_t at = 0;
    while (at < folded.size()) {
        while (at < folded.size() && isWordSpace(folded[at]))
            ++at;
        size_t end = at;
        while (end < folded.size() && !isWordSpace(folded[end]))
            ++end;
        if (end > at) words_.push_back(folded.substr(at, end - at));
        at = end;
    }
}

bool MessageQuery::matches(const RSSItem& item) const {
    return !empty() && matchesText(searchTextOf(item));
}

bool MessageQuery::matchesText(std::u16string_view searchText) const {
    if (empty()) return false;
    for (const std::u16string& word : words_)
        if (searchText.find(word) == std::u16string_view::npos) return false;
    return true;
}

}  // namespace corvane
