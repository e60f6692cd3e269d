#include "feedstore/UrlReference.h"

#include <algorithm>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane {
namespace {

struct UrlParts {
    std::optional<std::u16string_view> scheme;
    std::optional<std::u16string_view> authority;
    std::u16string_view path;
    std::optional<std::u16string_view> query;
    std::optional<std::u16string_view> fragment;
};

bool isSchemeChar(char16_t c, bool first) {
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    if (first) return letter;
    return letter || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// The length of the text's well-formed scheme, or 0 when it has none: then "./a:b" style paths
// stay paths.
size_t schemeLength(std::u16string_view text) {
    size_t colon = 0;
    while (colon < text.size() && text[colon] != u':' && text[colon] != u'/' && text[colon] != u'?' &&
           text[colon] != u'#')
        ++colon;
    if (colon == text.size() || colon == 0 || text[colon] != u':') return 0;
    for (size_t i = 0; i < colon; ++i)
        if (!isSchemeChar(text[i], i == 0)) return 0;
    return colon;
}

// The five components of RFC 3986's appendix B.
UrlParts splitUrl(std::u16string_view text) {
    UrlParts parts;
    if (const size_t colon = schemeLength(text)) {
        parts.scheme = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    if (text.starts_with(u"//")) {
        text.remove_prefix(2);
        const size_t end = text.find_first_of(u"/?#");
        parts.authority = text.substr(0, end);
        text.remove_prefix(end == std::u16string_view::npos ? text.size() : end);
    }
    if (const size_t hash = text.find(u'#'); hash != std::u16string_view::npos) {
        parts.fragment = text.substr(hash + 1);
        text = text.substr(0, hash);
    }
    if (const size_t question = text.find(u'?'); question != std::u16string_view::npos) {
        parts.query = text.substr(question + 1);
        text = text.substr(0, question);
    }
    parts.path = text;
    return parts;
}

std::u16string removeDotSegments(std::u16string_view input) {
    std::u16string output;
    while (!input.empty()) {
        if (input.starts_with(u"../")) {
            input.remove_prefix(3);
        } else if (input.starts_with(u"./")) {
            input.remove_prefix(2);
        } else if (input.starts_with(u"/./")) {
            input.remove_prefix(2);
        } else if (input == u"/.") {
            input = u"/";
        } else if (input.starts_with(u"/../") || input == u"/..") {
            input = input.size() == 3 ? std::u16string_view(u"/") : input.substr(3);
            const size_t last = output.rfind(u'/');
            output.erase(last == std::u16string::npos ? 0 : last);
        } else if (input == u"." || input == u"..") {
            input = {};
        } else {
            const size_t next = input.find(u'/', 1);
            const size_t count = next == std::u16string_view::npos ? input.size() : next;
            output.append(input.substr(0, count));
            input.remove_prefix(count);
        }
    }
    return output;
}

std::u16string mergePaths(const UrlParts& base, std::u16string_view path) {
    if (base.authority && base.path.empty()) return u"/" + std::u16string(path);
    const size_t slash = base.path.rfind(u'/');
    if (slash == std::u16string_view::npos) return std::u16string(path);
    return std::u16string(base.path.substr(0, slash + 1)) + std::u16string(path);
}

bool isUrlSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Whether a "." or ".." segment stands anywhere between the scheme and the query or fragment, where
// resolving would remove it.
bool mayHoldDotSegments(std::u16string_view afterScheme) {
    size_t segment = 0;
    for (size_t i = 0;; ++i) {
        const bool end = i == afterScheme.size() || afterScheme[i] == u'?' || afterScheme[i] == u'#';
        if (end || afterScheme[i] == u'/') {
            const std::u16string_view piece = afterScheme.substr(segment, i - segment);
            if (piece == u"." || piece == u"..") return true;
            if (end) return false;
            segment = i + 1;
        }
    }
}

}  // namespace

std::u16string resolveUrlReference(std::u16string_view baseText, std::u16string_view reference) {
    while (!reference.empty() && isUrlSpace(reference.front()))
        reference.remove_prefix(1);
    while (!reference.empty() && isUrlSpace(reference.back()))
        reference.remove_suffix(1);
    if (schemeLength(baseText) == 0) return std::u16string(reference);
    // Most links in a feed are absolute already, and resolving gives them back as they are.
    if (const size_t scheme = schemeLength(reference);
        scheme > 0 && !mayHoldDotSegments(reference.substr(scheme + 1)))
        return std::u16string(reference);
    const UrlParts base = splitUrl(baseText);
    const UrlParts r = splitUrl(reference);
    if (r.scheme)
        return std::u16string(reference.substr(0, r.scheme->size() + 1)) +
               (r.authority ? u"//" + std::u16string(*r.authority) : u"") + removeDotSegments(r.path) +
               (r.query ? u"?" + std::u16string(*r.query) : u"") +
               (r.fragment ? u"#" + std::u16string(*r.fragment) : u"");

    std::optional<std::u16string_view> authority = base.authority;
    std::u16string path;
    std::optional<std::u16string_view> query = r.query;
    if (r.authority) {
        authority = r.authority;
        path = removeDotSegments(r.path);
    } else if (r.path.empty()) {
        path = base.path;
        if (!r.query) query = base.query;
    } else if (r.path.front() == u'/') {
        path = removeDotSegments(r.path);
    } else {
        path = removeDotSegments(mergePaths(base, r.path));
    }
    std::u16string target(*base.scheme);
    target += u':';
    if (authority) target += u"//" + std::u16string(*authority);
    target += path;
    if (query) target += u"?" + std::u16string(*query);
    if (r.fragment) target += u"#" + std::u16string(*r.fragment);
    return target;
}

namespace {

char16_t lowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool isNameEnd(char16_t c) {
    return isUrlSpace(c) || c == u'=' || c == u'>' || c == u'/' || c == u'\f';
}

bool isLinkAttribute(std::u16string_view name) {
    if (name.size() != 4 && name.size() != 3) return false;
    std::u16string lower;
    for (char16_t c : name)
        lower += lowerAscii(c);
    return lower == u"href" || lower == u"src";
}

// A resolved value goes back where the written one stood: what would end the value or the tag
// there is percent-encoded, as a URL allows.
void appendMarkupSafe(std::u16string& out, std::u16string_view url) {
    // Most URLs hold none of these: appended whole.
    size_t special = 0;
    while (special < url.size() && url[special] != u'"' && url[special] != u'\'' && url[special] != u'<' &&
           url[special] != u'>' && url[special] != u' ')
        ++special;
    out.append(url.substr(0, special));
    for (char16_t c : url.substr(special)) {
        switch (c) {
            case u'"':
                out += u"%22";
                break;
            case u'\'':
                out += u"%27";
                break;
            case u'<':
                out += u"%3C";
                break;
            case u'>':
                out += u"%3E";
                break;
            case u' ':
                out += u"%20";
                break;
            default:
                out += c;
        }
    }
}

}  // namespace

namespace {

// text.find(unit, from), eight units at a time: an item's description is scanned for every tag.
size_t findUnit(std::u16string_view text, char16_t unit, size_t from) {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
    for (; i + 8 <= text.size(); i += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const int found = _mm_movemask_epi8(_mm_cmpeq_epi16(chunk, wanted));
        if (found != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(found))) / 2;
    }
#endif
    for (; i < text.size(); ++i)
        if (text[i] == unit) return i;
    return std::u16string_view::npos;
}

// Calls `replace(begin, end, value)` for every href and src attribute of the markup, in order, with
// the resolved value as it is to stand in place of markup[begin, end).
template <typename Replace>
void forEachMarkupLink(std::u16string_view markup, std::u16string_view base, Replace&& replace) {
    size_t at = 0;
    while (at < markup.size()) {
        const size_t open = findUnit(markup, u'<', at);
        if (open == std::u16string_view::npos) break;
        // Comments and declarations hold no attributes.
        if (open + 1 < markup.size() &&
            (markup[open + 1] == u'!' || markup[open + 1] == u'/' || markup[open + 1] == u'?')) {
            const size_t close = findUnit(markup, u'>', open);
            at = close == std::u16string_view::npos ? markup.size() : close + 1;
            continue;
        }
        size_t i = open + 1;
        while (i < markup.size() && !isNameEnd(markup[i]))
            ++i;
        // Attributes up to the end of the tag.
        while (i < markup.size() && markup[i] != u'>') {
            const size_t nameStart = i;
            while (i < markup.size() && !isNameEnd(markup[i]))
                ++i;
            const std::u16string_view name = markup.substr(nameStart, i - nameStart);
            size_t j = i;
            while (j < markup.size() && isUrlSpace(markup[j]))
                ++j;
            if (name.empty() || j >= markup.size() || markup[j] != u'=') {
                i = name.empty() ? i + 1 : i;
                continue;
            }
            ++j;
            while (j < markup.size() && isUrlSpace(markup[j]))
                ++j;
            size_t valueStart = j;
            size_t valueEnd;
            size_t after;
            if (j < markup.size() && (markup[j] == u'"' || markup[j] == u'\'')) {
                valueStart = j + 1;
                valueEnd = findUnit(markup, markup[j], valueStart);
                if (valueEnd == std::u16string_view::npos) valueEnd = markup.size();
                after = std::min(valueEnd + 1, markup.size());
            } else {
                valueEnd = j;
                while (valueEnd < markup.size() && !isUrlSpace(markup[valueEnd]) && markup[valueEnd] != u'>')
                    ++valueEnd;
                after = valueEnd;
            }
            if (isLinkAttribute(name)) {
                std::u16string resolved;
                appendMarkupSafe(resolved,
                                 resolveUrlReference(base, markup.substr(valueStart, valueEnd - valueStart)));
                replace(valueStart, valueEnd, std::u16string_view(resolved));
            }
            i = after;
        }
        at = i;
    }
}

}  // namespace

void resolveMarkupLinksInPlace(std::u16string& markup, std::u16string_view base) {
    if (schemeLength(base) == 0) return;
    // Most links are absolute already: the markup is copied only from the first value that changes.
    std::u16string out;
    size_t copied = 0;
    bool changed = false;
    forEachMarkupLink(markup, base, [&](size_t begin, size_t end, std::u16string_view value) {
        if (!changed && end - begin == value.size() &&
            std::memcmp(markup.data() + begin, value.data(), value.size() * sizeof(char16_t)) == 0)
            return;
        if (!changed) out.reserve(markup.size() + markup.size() / 8);
        changed = true;
        out.append(markup, copied, begin - copied);
        out += value;
        copied = end;
    });
    if (!changed) return;
    out.append(markup, copied);
    markup = std::move(out);
}

std::u16string resolveMarkupLinks(std::u16string_view markup, std::u16string_view base) {
    std::u16string out(markup);
    resolveMarkupLinksInPlace(out, base);
    return out;
}

}  // namespace corvane
