#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct HtmlAttribute {
    std::u16string name;   // lower case
    std::u16string value;  // character references decoded
};

struct HtmlToken {
    enum class Kind { Text, StartTag, EndTag, RawText, End };
    Kind kind = Kind::End;
    // Tags: the lower-case tag name. RawText: the element whose content it is.
    std::u16string name;
    // Text and RawText: the text with character references decoded (not in script-like content).
    std::u16string text;
    // Start tags only; of repeated names the first counts, as in a browser.
    std::vector<HtmlAttribute> attributes;
    bool selfClosing = false;
};

// Splits HTML into tokens the way a browser's tokenizer reads it, so that what the sanitizer
// judges is what a browser would have seen: tag names end only at white space, "/" or ">", a "<"
// that cannot open a tag is text, a tag cut off by the end of the input is dropped, and comments,
// doctypes, processing instructions and CDATA sections (bogus comments in HTML) yield nothing.
// After the start tag of an element whose content is raw text (script, style, textarea, ...),
// everything up to that element's end tag comes as one RawText token.
class HtmlTokenizer {
  public:
    explicit HtmlTokenizer(std::u16string_view html);

    HtmlToken next();

  private:
    enum class Markup { Token, Text, Nothing, CutOff };

    Markup readMarkup(HtmlToken& token);
    Markup readTag(HtmlToken& token, bool endTag);
    bool readAttributeValue(std::u16string& value);
    void skipPast(std::u16string_view terminator);
    HtmlToken readRawText();
    HtmlToken deliver(HtmlToken token);

    bool atEnd() const { return pos_ >= input_.size(); }
    bool startsWith(std::u16string_view prefix) const;

    std::u16string input_;
    size_t pos_ = 0;
    std::optional<HtmlToken> pending_;
    std::u16string rawTextElement_;
};

}  // namespace corvane
