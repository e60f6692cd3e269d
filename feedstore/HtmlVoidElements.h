#pragma once

#include <array>
#include <string_view>

namespace corvane {

// The HTML elements that have no content and no end tag: the one list the feed readers (writing
// XHTML content out as HTML), the sanitizer's element table and the rich-text converter go by.
inline constexpr std::array<std::u16string_view, 14> kHtmlVoidElements = {
    u"area",  u"base", u"br",   u"col",   u"embed",  u"hr",    u"img",
    u"input", u"link", u"meta", u"param", u"source", u"track", u"wbr",
};

// Whether `name` (lower case, as tokenizers give it) is a void element.
inline bool isVoidElement(std::u16string_view name) {
    for (std::u16string_view known : kHtmlVoidElements)
        if (name == known) return true;
    return false;
}

}  // namespace corvane
