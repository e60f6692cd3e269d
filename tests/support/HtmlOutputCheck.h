#pragma once

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::testing {

// An oracle for sanitized HTML that shares no code with the sanitizer: it reads the one shape the
// sanitizer writes and names the first fault, or returns "" when there is none. The shape: text
// with "&", "<" and ">" escaped; tags of known elements with known attributes, values in double
// quotes and escaped; no event handler, style or script; links and sources with an allowed scheme;
// every element closed, innermost first, void elements never.
inline std::string checkSanitizedHtml(std::u16string_view html) {
    static constexpr std::u16string_view kElements[] = {
        u"a",          u"abbr",    u"acronym", u"b",       u"bdi",        u"bdo",    u"big",    u"cite",
        u"code",       u"del",     u"dfn",     u"em",      u"font",       u"i",      u"ins",    u"kbd",
        u"mark",       u"q",       u"s",       u"samp",    u"small",      u"span",   u"strike", u"strong",
        u"sub",        u"sup",     u"tt",      u"u",       u"var",        u"img",    u"br",     u"wbr",
        u"hr",         u"address", u"article", u"aside",   u"blockquote", u"center", u"div",    u"dl",
        u"figcaption", u"figure",  u"footer",  u"header",  u"ol",         u"p",      u"pre",    u"section",
        u"ul",         u"h1",      u"h2",      u"h3",      u"h4",         u"h5",     u"h6",     u"li",
        u"dd",         u"dt",      u"table",   u"caption", u"colgroup",   u"col",    u"thead",  u"tbody",
        u"tfoot",      u"tr",      u"td",      u"th",
    };
    static constexpr std::u16string_view kVoid[] = {u"img", u"br", u"wbr", u"hr", u"col"};
    static constexpr std::u16string_view kAttributes[] = {
        u"title",       u"lang",   u"dir",     u"href",     u"src",   u"alt",     u"width",
        u"height",      u"border", u"hspace",  u"vspace",   u"align", u"color",   u"face",
        u"size",        u"start",  u"type",    u"reversed", u"value", u"summary", u"cellpadding",
        u"cellspacing", u"valign", u"colspan", u"rowspan",  u"scope", u"abbr",    u"span",
    };
    auto known = [](const auto& list, std::u16string_view name) {
        return std::find(std::begin(list), std::end(list), name) != std::end(list);
    };
    auto narrow = [](std::u16string_view text) {
        std::string out;
        for (char16_t c : text)
            out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        return out;
    };
    auto lowerPrefix = [](std::u16string_view text, std::u16string_view prefix) {
        if (text.size() < prefix.size()) return false;
        for (size_t i = 0; i < prefix.size(); ++i) {
            char16_t c = text[i];
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 0x20);
            if (c != prefix[i]) return false;
        }
        return true;
    };
    // The escapes the sanitizer writes; returns their length, 0 for anything else.
    auto escapeAt = [&](size_t pos, bool inAttribute, char16_t& decoded) -> size_t {
        const std::u16string_view rest = html.substr(pos);
        struct Escape {
            std::u16string_view text;
            char16_t character;
            bool attributeOnly;
        };
        static constexpr Escape kEscapes[] = {
            {u"&amp;", u'&', false}, {u"&lt;", u'<', false}, {u"&gt;", u'>', false},  {u"&quot;", u'"', true},
            {u"&#39;", u'\'', true}, {u"&#96;", u'`', true}, {u"&#13;", u'\r', false}};
        for (const Escape& e : kEscapes)
            if ((inAttribute || !e.attributeOnly) && rest.starts_with(e.text)) {
                decoded = e.character;
                return e.text.size();
            }
        return 0;
    };

    std::vector<std::u16string_view> open;
    size_t pos = 0;
    while (pos < html.size()) {
        const char16_t c = html[pos];
        if (c == u'>') return "raw '>' in text at " + std::to_string(pos);
        if (c == u'&') {
            char16_t decoded;
            const size_t length = escapeAt(pos, false, decoded);
            if (!length) return "unexpected '&' in text at " + std::to_string(pos);
            pos += length;
            continue;
        }
        if (c != u'<') {
            ++pos;
            continue;
        }
        const size_t tagStart = pos++;
        const bool endTag = pos < html.size() && html[pos] == u'/';
        if (endTag) ++pos;
        const size_t nameStart = pos;
        while (pos < html.size() &&
               ((html[pos] >= u'a' && html[pos] <= u'z') || (html[pos] >= u'0' && html[pos] <= u'9')))
            ++pos;
        const std::u16string_view name = html.substr(nameStart, pos - nameStart);
        if (!known(kElements, name)) return "element '" + narrow(name) + "' at " + std::to_string(tagStart);
        if (endTag) {
            if (pos >= html.size() || html[pos] != u'>')
                return "malformed end tag at " + std::to_string(tagStart);
            ++pos;
            if (known(kVoid, name)) return "end tag of void element at " + std::to_string(tagStart);
            if (open.empty() || open.back() != name)
                return "end tag '" + narrow(name) + "' does not close the innermost element at " +
                       std::to_string(tagStart);
            open.pop_back();
            continue;
        }
        while (pos < html.size() && html[pos] == u' ') {
            ++pos;
            const size_t attributeStart = pos;
            while (pos < html.size() && html[pos] >= u'a' && html[pos] <= u'z')
                ++pos;
            const std::u16string_view attribute = html.substr(attributeStart, pos - attributeStart);
            if (attribute.starts_with(u"on") || !known(kAttributes, attribute))
                return "attribute '" + narrow(attribute) + "' at " + std::to_string(attributeStart);
            if (html.substr(pos, 2) != u"=\"") return "unquoted value at " + std::to_string(pos);
            pos += 2;
            std::u16string value;
            while (pos < html.size() && html[pos] != u'"') {
                const char16_t v = html[pos];
                if (v == u'<' || v == u'>' || v == u'\'' || v == u'`')
                    return "raw quote or bracket in a value at " + std::to_string(pos);
                if (v == u'&') {
                    char16_t decoded;
                    const size_t length = escapeAt(pos, true, decoded);
                    if (!length) return "unexpected '&' in a value at " + std::to_string(pos);
                    value.push_back(decoded);
                    pos += length;
                    continue;
                }
                value.push_back(v);
                ++pos;
            }
            if (pos >= html.size()) return "unterminated value at " + std::to_string(attributeStart);
            ++pos;
            if (attribute == u"href" || attribute == u"src") {
                const bool web = lowerPrefix(value, u"http:") || lowerPrefix(value, u"https:");
                const bool mail = attribute == u"href" && lowerPrefix(value, u"mailto:");
                if (!web && !mail)
                    return "scheme of '" + narrow(value) + "' at " + std::to_string(attributeStart);
            }
        }
        if (pos >= html.size() || html[pos] != u'>')
            return "malformed start tag at " + std::to_string(tagStart);
        ++pos;
        if (!known(kVoid, name)) open.push_back(name);
    }
    if (!open.empty()) return "element '" + narrow(open.back()) + "' left open";
    return "";
}

}  // namespace corvane::testing
