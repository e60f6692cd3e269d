#include "itempage/HtmlTokenizer.h"

#include <algorithm>
#include <array>
#include <span>
#include <unordered_set>

#include "itempage/HtmlText.h"

namespace corvane {
namespace {

bool isSpace(char16_t c) {
    return c == u'\t' || c == u'\n' || c == u'\f' || c == u' ';
}
bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
char16_t toLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
}

// Elements whose content a browser does not read as markup.
constexpr std::array<std::u16string_view, 7> kRawTextElements = {
    u"script", u"style", u"xmp", u"iframe", u"noembed", u"noframes", u"noscript",
};
// The same, with character references decoded.
constexpr std::array<std::u16string_view, 2> kEscapableRawTextElements = {u"textarea", u"title"};

bool isOneOf(std::u16string_view name, std::span<const std::u16string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Line breaks as a browser sees them before it tokenizes: CR LF and lone CR become LF.
std::u16string normalizeLineBreaks(std::u16string_view html) {
    std::u16string out;
    out.reserve(html.size());
    for (size_t i = 0; i < html.size(); ++i) {
        if (html[i] == u'\r') {
            out.push_back(u'\n');
            if (i + 1 < html.size() && html[i + 1] == u'\n') ++i;
        } else {
            out.push_back(html[i]);
        }
    }
    return out;
}

}  // namespace

HtmlTokenizer::HtmlTokenizer(std::u16string_view html) : input_(normalizeLineBreaks(html)) {}

bool HtmlTokenizer::startsWith(std::u16string_view prefix) const {
    return std::u16string_view(input_).substr(pos_).starts_with(prefix);
}

void HtmlTokenizer::skipPast(std::u16string_view terminator) {
    const size_t found = input_.find(terminator, pos_);
    pos_ = found == std::u16string::npos ? input_.size() : found + terminator.size();
}

HtmlToken HtmlTokenizer::deliver(HtmlToken token) {
    if (token.kind == HtmlToken::Kind::StartTag &&
        (isOneOf(token.name, kRawTextElements) || isOneOf(token.name, kEscapableRawTextElements) ||
         token.name == u"plaintext"))
        rawTextElement_ = token.name;
    return token;
}

HtmlToken HtmlTokenizer::next() {
    if (pending_) {
        HtmlToken token = std::move(*pending_);
        pending_.reset();
        return deliver(std::move(token));
    }
    if (!rawTextElement_.empty()) return readRawText();

    HtmlToken text;
    text.kind = HtmlToken::Kind::Text;
    while (!atEnd()) {
        const char16_t c = input_[pos_];
        if (c == u'<') {
            HtmlToken tag;
            switch (readMarkup(tag)) {
                case Markup::Text:
                    text.text.push_back(u'<');
                    continue;
                case Markup::Nothing:
                    continue;
                case Markup::CutOff:
                    pos_ = input_.size();
                    continue;
                case Markup::Token:
                    if (text.text.empty()) return deliver(std::move(tag));
                    pending_ = std::move(tag);
                    return text;
            }
        }
        if (c == u'&') {
            if (size_t used = decodeCharacterReference(std::u16string_view(input_).substr(pos_),
                                                       HtmlTextContext::Text, text.text)) {
                pos_ += used;
                continue;
            }
        }
        // A browser drops NUL from text.
        if (c != 0) text.text.push_back(c);
        ++pos_;
    }
    if (text.text.empty()) return HtmlToken{};
    return text;
}

HtmlToken HtmlTokenizer::readRawText() {
    HtmlToken token;
    token.kind = HtmlToken::Kind::RawText;
    token.name = std::move(rawTextElement_);
    rawTextElement_.clear();

    size_t end = input_.size();
    if (token.name != u"plaintext") {
        // The content ends at "</name" followed by white space, "/" or ">", in any case.
        for (size_t at = input_.find(u"</", pos_); at != std::u16string::npos;
             at = input_.find(u"</", at + 1)) {
            const size_t after = at + 2 + token.name.size();
            if (after >= input_.size()) break;
            bool nameMatches = true;
            for (size_t i = 0; i < token.name.size() && nameMatches; ++i)
                nameMatches = toLower(input_[at + 2 + i]) == token.name[i];
            if (nameMatches && (isSpace(input_[after]) || input_[after] == u'/' || input_[after] == u'>')) {
                end = at;
                break;
            }
        }
    }
    const std::u16string_view content = std::u16string_view(input_).substr(pos_, end - pos_);
    token.text =
        isOneOf(token.name, kEscapableRawTextElements) ? decodeEntities(content) : std::u16string(content);
    // NUL stands for nothing in any of these contents.
    std::erase(token.text, u'\0');
    pos_ = end;
    return token;
}

HtmlTokenizer::Markup HtmlTokenizer::readMarkup(HtmlToken& token) {
    const size_t start = pos_;
    ++pos_;  // '<'
    if (atEnd()) {
        pos_ = start + 1;
        return Markup::Text;
    }
    const char16_t c = input_[pos_];
    if (c == u'!') {
        ++pos_;
        if (startsWith(u"--")) {
            pos_ += 2;
            // "<!-->" and "<!--->" are complete, empty comments.
            if (startsWith(u">")) {
                ++pos_;
                return Markup::Nothing;
            }
            if (startsWith(u"->")) {
                pos_ += 2;
                return Markup::Nothing;
            }
            // The comment ends at the first "-->" or "--!>"; one scan, so many comments stay linear.
            for (size_t dashes = input_.find(u"--", pos_);; dashes = input_.find(u"--", dashes + 1)) {
                if (dashes == std::u16string::npos) {
                    pos_ = input_.size();
                    break;
                }
                pos_ = dashes + 2;
                if (startsWith(u">")) {
                    ++pos_;
                    break;
                }
                if (startsWith(u"!>")) {
                    pos_ += 2;
                    break;
                }
            }
            return Markup::Nothing;
        }
        // Doctypes, CDATA sections and every other "<!" end at the first ">".
        skipPast(u">");
        return Markup::Nothing;
    }
    if (c == u'?') {
        skipPast(u">");
        return Markup::Nothing;
    }
    if (c == u'/') {
        ++pos_;
        if (atEnd()) {
            pos_ = start + 1;
            return Markup::Text;
        }
        if (input_[pos_] == u'>') {
            ++pos_;
            return Markup::Nothing;
        }
        if (!isAsciiLetter(input_[pos_])) {
            skipPast(u">");
            return Markup::Nothing;
        }
        return readTag(token, true);
    }
    if (isAsciiLetter(c)) return readTag(token, false);
    pos_ = start + 1;
    return Markup::Text;
}

HtmlTokenizer::Markup HtmlTokenizer::readTag(HtmlToken& token, bool endTag) {
    token.kind = endTag ? HtmlToken::Kind::EndTag : HtmlToken::Kind::StartTag;
    while (!atEnd() && !isSpace(input_[pos_]) && input_[pos_] != u'/' && input_[pos_] != u'>') {
        const char16_t c = input_[pos_++];
        token.name.push_back(c == 0 ? u'\uFFFD' : toLower(c));
    }
    std::unordered_set<std::u16string> seen;
    for (;;) {
        while (!atEnd() && isSpace(input_[pos_]))
            ++pos_;
        if (atEnd()) return Markup::CutOff;
        if (input_[pos_] == u'>') {
            ++pos_;
            break;
        }
        if (input_[pos_] == u'/') {
            ++pos_;
            if (!atEnd() && input_[pos_] == u'>') {
                ++pos_;
                token.selfClosing = true;
                break;
            }
            continue;
        }
        // An attribute name may begin with "=" but not go on past one.
        HtmlAttribute attribute;
        do {
            const char16_t c = input_[pos_++];
            attribute.name.push_back(c == 0 ? u'\uFFFD' : toLower(c));
        } while (!atEnd() && !isSpace(input_[pos_]) && input_[pos_] != u'/' && input_[pos_] != u'>' &&
                 input_[pos_] != u'=');
        while (!atEnd() && isSpace(input_[pos_]))
            ++pos_;
        if (!atEnd() && input_[pos_] == u'=') {
            ++pos_;
            if (!readAttributeValue(attribute.value)) return Markup::CutOff;
        }
        if (!endTag && seen.insert(attribute.name).second) token.attributes.push_back(std::move(attribute));
    }
    if (endTag) token.selfClosing = false;
    return Markup::Token;
}

// Reads the value after "="; false when the input ends inside a quoted value.
bool HtmlTokenizer::readAttributeValue(std::u16string& value) {
    while (!atEnd() && isSpace(input_[pos_]))
        ++pos_;
    if (atEnd()) return true;
    const char16_t quote = input_[pos_];
    const bool quoted = quote == u'"' || quote == u'\'';
    if (quoted) ++pos_;
    while (!atEnd()) {
        const char16_t c = input_[pos_];
        if (quoted ? c == quote : (isSpace(c) || c == u'>')) break;
        if (c == u'&') {
            if (size_t used = decodeCharacterReference(std::u16string_view(input_).substr(pos_),
                                                       HtmlTextContext::Attribute, value)) {
                pos_ += used;
                continue;
            }
        }
        value.push_back(c == 0 ? u'\uFFFD' : c);
        ++pos_;
    }
    if (!quoted) return true;
    if (atEnd()) return false;
    ++pos_;  // closing quote
    return true;
}

}  // namespace corvane
