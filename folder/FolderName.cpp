#include "folder/FolderName.h"

#include <array>

namespace corvane::folder {
namespace {

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool isForbidden(char16_t c) {
    if (c < 0x20 || c == 0x7F) return true;
    return std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos;
}

bool isSpace(char16_t c) {
    return c == u' ' || c == 0xA0 || c == 0x3000;
}

// Windows opens the device, not a file, for these names, whatever extension follows them.
bool isDeviceName(std::u16string_view base) {
    while (!base.empty() && (base.back() == u' ' || base.back() == u'.'))
        base.remove_suffix(1);
    static constexpr std::array<std::u16string_view, 4> kPlain{u"con", u"prn", u"aux", u"nul"};
    for (std::u16string_view name : kPlain)
        if (sameFolderName(base, name)) return true;
    if (base.size() != 4 || base[3] < u'1' || base[3] > u'9') return false;
    return sameFolderName(base.substr(0, 3), u"com") || sameFolderName(base.substr(0, 3), u"lpt");
}

void trimEnd(std::u16string& name) {
    while (!name.empty() && (name.back() == u' ' || name.back() == u'.'))
        name.pop_back();
}

}  // namespace

bool sameFolderName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

std::u16string safeFolderName(std::u16string_view wanted) {
    std::u16string name;
    name.reserve(wanted.size());
    for (char16_t c : wanted) {
        // Tabs and line ends are white space in a title, not something to show as '_'.
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
        if (isSpace(c)) {
            if (!name.empty() && name.back() != u' ') name += u' ';
            continue;
        }
        name += isForbidden(c) ? u'_' : c;
    }
    trimEnd(name);
    if (!name.empty() && name.front() == u' ') name.erase(0, 1);
    if (name.find_first_not_of(u'.') == std::u16string::npos) return {};
    size_t dot = name.find(u'.');
    if (isDeviceName(std::u16string_view(name).substr(0, dot))) {
        size_t end = dot == std::u16string::npos ? name.size() : dot;
        while (end > 0 && name[end - 1] == u' ')
            --end;
        name.insert(end, 1, u'_');
    }
    if (name.size() > kMaxFolderNameLength) {
        size_t cut = kMaxFolderNameLength;
        // A high surrogate whose partner would be cut off goes with it.
        if (name[cut - 1] >= 0xD800 && name[cut - 1] <= 0xDBFF) --cut;
        name.resize(cut);
        trimEnd(name);
    }
    return name;
}

std::u16string urlHost(std::u16string_view url) {
    size_t scheme = url.find(u"://");
    if (scheme == std::u16string_view::npos) return {};
    std::u16string_view rest = url.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of(u"/?#"));
    if (size_t at = rest.rfind(u'@'); at != std::u16string_view::npos) rest.remove_prefix(at + 1);
    if (!rest.empty() && rest.front() == u'[') {
        size_t close = rest.find(u']');
        rest = close == std::u16string_view::npos ? std::u16string_view{} : rest.substr(0, close + 1);
    } else {
        rest = rest.substr(0, rest.find(u':'));
    }
    std::u16string host;
    for (char16_t c : rest)
        host += asciiLower(c);
    return host;
}

}  // namespace corvane::folder
