#include "retrieval/InternetSession.h"

namespace corvane::retrieval {

bool isWebUrl(std::u16string_view url) {
    size_t colon = url.find(u':');
    if (colon == std::u16string_view::npos || url.substr(colon).substr(0, 3) != u"://") return false;
    std::u16string_view scheme = url.substr(0, colon);
    auto sameLetters = [](std::u16string_view text, std::u16string_view lower) {
        if (text.size() != lower.size()) return false;
        for (size_t i = 0; i < text.size(); ++i) {
            char16_t c = text[i] >= u'A' && text[i] <= u'Z' ? char16_t(text[i] - u'A' + u'a') : text[i];
            if (c != lower[i]) return false;
        }
        return true;
    };
    return sameLetters(scheme, u"http") || sameLetters(scheme, u"https");
}

}  // namespace corvane::retrieval
