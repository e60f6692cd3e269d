// One forward pass without building tokens: the list converts a cell per visible row and a sort
// converts every message, so this stays cheap where the sanitizer's tokenizer would allocate per tag.
#include "itempage/MarkupText.h"

#include <algorithm>
#include <array>

#include "itempage/HtmlText.h"

namespace corvane {
namespace {

// Tags that sit inside a run of text; any other tag separates the words on either side.
constexpr std::array<std::u16string_view, 29> kInlineTags = {
    u"a",    u"abbr",   u"b",      u"bdi", u"bdo", u"big",  u"cite", u"code", u"del",  u"dfn",
    u"em",   u"font",   u"i",      u"ins", u"kbd", u"mark", u"q",    u"s",    u"samp", u"small",
    u"span", u"strike", u"strong", u"sub", u"sup", u"tt",   u"u",    u"var",  u"wbr",
};
// Elements whose content is no text to read.
constexpr std::array<std::u16string_view, 7> kHiddenContent = {
    u"script", u"style", u"xmp", u"iframe", u"noembed", u"noframes", u"noscript",
};

template <size_t N>
bool isOneOf(std::u16string_view name, const std::array<std::u16string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isCollapsible(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v' || c == 0x00A0;
}
bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
char16_t lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
}

// Collects text with white space collapsed as it arrives, so a limit can end the work early.
class LineText {
  public:
    explicit LineText(size_t limit) : limit_(limit) {}

    void append(char16_t c) {
        if (full()) return;
        if (isCollapsible(c)) {
            space_ = !out_.empty();
            return;
        }
        if (space_) {
            out_.push_back(u' ');
            space_ = false;
            if (full()) return;
        }
        out_.push_back(c);
    }
    void append(std::u16string_view text) {
        for (char16_t c : text)
            append(c);
    }
    void separate() { space_ = !out_.empty(); }
    bool full() const { return out_.size() >= limit_; }
    std::u16string take() { return std::move(out_); }

  private:
    size_t limit_;
    std::u16string out_;
    bool space_ = false;
};

class Scanner {
  public:
    Scanner(std::u16string_view markup, LineText& text) : in_(markup), text_(text) {}

    void run() {
        while (pos_ < in_.size() && !text_.full()) {
            const char16_t c = in_[pos_];
            if (c == u'<' && readMarkup()) continue;
            if (c == u'&') {
                decoded_.clear();
                if (size_t used =
                        decodeCharacterReference(in_.substr(pos_), HtmlTextContext::Text, decoded_)) {
                    text_.append(decoded_);
                    pos_ += used;
                    continue;
                }
            }
            text_.append(c);
            ++pos_;
        }
    }

  private:
    bool startsWith(std::u16string_view prefix) const { return in_.substr(pos_).starts_with(prefix); }
    void skipPast(std::u16string_view end) {
        const size_t found = in_.find(end, pos_);
        pos_ = found == std::u16string_view::npos ? in_.size() : found + end.size();
    }

    // At a '<': false when it opens nothing and is text.
    bool readMarkup() {
        if (startsWith(u"<![CDATA[")) {
            // A browser takes this for a comment; a feed that wraps its text twice means the text.
            pos_ += 9;
            const size_t end = in_.find(u"]]>", pos_);
            text_.append(in_.substr(pos_, end == std::u16string_view::npos ? end : end - pos_));
            pos_ = end == std::u16string_view::npos ? in_.size() : end + 3;
            return true;
        }
        if (startsWith(u"<!--")) {
            pos_ += 4;
            skipPast(u"-->");
            return true;
        }
        const char16_t next = pos_ + 1 < in_.size() ? in_[pos_ + 1] : u'\0';
        if (next == u'!' || next == u'?') {
            skipPast(u">");
            return true;
        }
        const bool end = next == u'/';
        const size_t nameStart = pos_ + (end ? 2 : 1);
        if (nameStart >= in_.size() || !isLetter(in_[nameStart])) {
            if (end && nameStart < in_.size()) {  // "</" and no letter: a bogus comment
                skipPast(u">");
                return true;
            }
            return false;
        }
        size_t at = nameStart;
        name_.clear();
        while (at < in_.size() && in_[at] != u'>' && in_[at] != u'/' && !isCollapsible(in_[at]))
            name_.push_back(lower(in_[at++]));
        // The rest of the tag, quoted attribute values included; a tag the input cuts off is dropped.
        char16_t quote = 0;
        while (at < in_.size() && (quote || in_[at] != u'>')) {
            if (quote && in_[at] == quote)
                quote = 0;
            else if (!quote && (in_[at] == u'"' || in_[at] == u'\''))
                quote = in_[at];
            ++at;
        }
        pos_ = at < in_.size() ? at + 1 : in_.size();
        if (!isOneOf(name_, kInlineTags)) text_.separate();
        if (!end && isOneOf(name_, kHiddenContent)) skipHiddenContent();
        return true;
    }

    // Past the end tag of the element just opened, or to the end when it has none.
    void skipHiddenContent() {
        const std::u16string close = u"</" + name_;
        for (size_t at = pos_; at + close.size() <= in_.size(); ++at) {
            size_t n = 0;
            while (n < close.size() && lower(in_[at + n]) == close[n])
                ++n;
            if (n == close.size()) {
                pos_ = at;
                skipPast(u">");
                return;
            }
        }
        pos_ = in_.size();
    }

    std::u16string_view in_;
    LineText& text_;
    size_t pos_ = 0;
    std::u16string name_;
    std::u16string decoded_;
};

}  // namespace

std::u16string markupAsText(std::u16string_view markup, size_t limit) {
    LineText text(limit);
    Scanner(markup, text).run();
    return text.take();
}

}  // namespace corvane
