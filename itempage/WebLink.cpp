#include "itempage/WebLink.h"

namespace corvane {
namespace {

bool isTrimmed(char16_t c) {
    return c <= 0x20;
}
bool isRemovedInside(char16_t c) {
    return c == u'\t' || c == u'\n' || c == u'\r';
}
bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isSchemeCharacter(char16_t c) {
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

}  // namespace

std::u16string normalizeLink(std::u16string_view url) {
    size_t begin = 0;
    size_t end = url.size();
    while (begin < end && isTrimmed(url[begin]))
        ++begin;
    while (end > begin && isTrimmed(url[end - 1]))
        --end;
    std::u16string link;
    link.reserve(end - begin);
    for (size_t i = begin; i < end; ++i)
        if (!isRemovedInside(url[i])) link.push_back(url[i]);
    return link;
}

std::u16string linkScheme(std::u16string_view url) {
    const std::u16string link = normalizeLink(url);
    const size_t colon = link.find(u':');
    if (colon == std::u16string::npos || colon == 0 || !isAsciiLetter(link[0])) return {};
    std::u16string scheme;
    for (size_t i = 0; i < colon; ++i) {
        const char16_t c = link[i];
        if (!isSchemeCharacter(c)) return {};
        scheme.push_back(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c);
    }
    return scheme;
}

bool isWebLink(std::u16string_view url) {
    const std::u16string scheme = linkScheme(url);
    if (scheme != u"http" && scheme != u"https") return false;
    for (char16_t c : normalizeLink(url))
        if (c < 0x20 || c == 0x7F || c == u'"') return false;
    return true;
}

}  // namespace corvane
