#pragma once

#include <cstddef>
#include <string>

namespace corvane {

// XML's white space: what the readers trim around an element's text.
constexpr bool isXmlSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Removes the white space at the front and at the back of `text`, in place; an end whose flag is
// false stays as it is (text that begins or ends with a CDATA section keeps its spaces there).
inline void trimXmlSpace(std::u16string& text, bool front = true, bool back = true) {
    size_t end = text.size();
    if (back)
        while (end > 0 && isXmlSpace(text[end - 1]))
            --end;
    size_t begin = 0;
    if (front)
        while (begin < end && isXmlSpace(text[begin]))
            ++begin;
    if (end < text.size()) text.erase(end);
    if (begin > 0) text.erase(0, begin);
}

}  // namespace corvane
