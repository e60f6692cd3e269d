#include "itempage/HtmlRichText.h"

#include <algorithm>
#include <array>

#include "feedstore/HtmlVoidElements.h"
#include "itempage/HtmlElements.h"
#include "itempage/HtmlTokenizer.h"
#include "itempage/WebLink.h"

namespace corvane {
namespace {

constexpr int kListIndent = 360;
constexpr int kQuoteIndent = 480;

std::u16string_view attributeValue(const HtmlToken& token, std::u16string_view name) {
    for (const HtmlAttribute& attribute : token.attributes)
        if (attribute.name == name) return attribute.value;
    return {};
}

int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

std::u16string lowerCase(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 0x20);
    return lower;
}

// "#rgb", "#rrggbb" or one of the sixteen basic colour names; anything else keeps the colour.
uint32_t parseColor(std::u16string_view value, uint32_t current) {
    if (value.starts_with(u'#') && (value.size() == 4 || value.size() == 7)) {
        uint32_t color = 0;
        for (char16_t c : value.substr(1)) {
            const int digit = hexValue(c);
            if (digit < 0) return current;
            color = color << 4 | static_cast<uint32_t>(digit);
            if (value.size() == 4) color = color << 4 | static_cast<uint32_t>(digit);
        }
        return color;
    }
    struct Named {
        std::u16string_view name;
        uint32_t color;
    };
    static constexpr std::array<Named, 16> kNames = {{
        {u"black", 0x000000},
        {u"silver", 0xC0C0C0},
        {u"gray", 0x808080},
        {u"white", 0xFFFFFF},
        {u"maroon", 0x800000},
        {u"red", 0xFF0000},
        {u"purple", 0x800080},
        {u"fuchsia", 0xFF00FF},
        {u"green", 0x008000},
        {u"lime", 0x00FF00},
        {u"olive", 0x808000},
        {u"yellow", 0xFFFF00},
        {u"navy", 0x000080},
        {u"blue", 0x0000FF},
        {u"teal", 0x008080},
        {u"aqua", 0x00FFFF},
    }};
    const std::u16string name = lowerCase(value);
    for (const Named& named : kNames)
        if (named.name == name) return named.color;
    return current;
}

std::u16string roman(int number, bool upper) {
    static constexpr std::array<std::pair<int, std::u16string_view>, 13> kDigits = {{
        {1000, u"m"},
        {900, u"cm"},
        {500, u"d"},
        {400, u"cd"},
        {100, u"c"},
        {90, u"xc"},
        {50, u"l"},
        {40, u"xl"},
        {10, u"x"},
        {9, u"ix"},
        {5, u"v"},
        {4, u"iv"},
        {1, u"i"},
    }};
    std::u16string text;
    for (const auto& [value, digits] : kDigits)
        for (; number >= value; number -= value)
            text += digits;
    if (upper)
        for (char16_t& c : text)
            c = static_cast<char16_t>(c - 0x20);
    return text;
}

std::u16string decimal(int number) {
    std::u16string text;
    const bool negative = number < 0;
    unsigned magnitude = negative ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    if (negative) text.insert(text.begin(), u'-');
    return text;
}

// The number of an ordered list's item as the list's type writes it; letters and roman numerals
// only for positive numbers, as a browser falls back to digits.
std::u16string listNumber(int number, char16_t type) {
    if (number > 0 && (type == u'i' || type == u'I') && number < 4000) return roman(number, type == u'I');
    if (number > 0 && (type == u'a' || type == u'A')) {
        std::u16string text;
        for (int n = number; n > 0; n = (n - 1) / 26)
            text.insert(text.begin(), static_cast<char16_t>((type == u'a' ? u'a' : u'A') + (n - 1) % 26));
        return text;
    }
    return decimal(number);
}

int parseInteger(std::u16string_view text, int fallback) {
    if (text.empty()) return fallback;
    const bool negative = text.front() == u'-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 9) return fallback;
    int value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return fallback;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

RichTextAlign parseAlign(std::u16string_view value, RichTextAlign current) {
    const std::u16string align = lowerCase(value);
    if (align == u"center") return RichTextAlign::Center;
    if (align == u"right") return RichTextAlign::Right;
    if (align == u"left" || align == u"justify") return RichTextAlign::Left;
    return current;
}

class HtmlToRichText {
  public:
    explicit HtmlToRichText(RichTextBuilder& out) : out_(out) {}

    void run(std::u16string_view html) {
        HtmlTokenizer tokenizer(html);
        for (HtmlToken token = tokenizer.next(); token.kind != HtmlToken::Kind::End;
             token = tokenizer.next()) {
            switch (token.kind) {
                case HtmlToken::Kind::Text:
                    text(token.text);
                    break;
                case HtmlToken::Kind::StartTag:
                    startTag(token);
                    break;
                case HtmlToken::Kind::EndTag:
                    endTag(token.name);
                    break;
                default:
                    break;
            }
        }
        while (!open_.empty())
            close();
    }

  private:
    struct List {
        bool ordered = false;
        int next = 1;
        char16_t type = u'1';
    };
    struct Open {
        std::u16string name;
        bool block = false;  // pushed paragraph settings
        bool spaced = false;
        bool link = false;
        bool list = false;
        bool preformatted = false;
        bool table = false;
        bool quoted = false;
    };

    static int headingSize(char16_t level) {
        static constexpr int kSizes[] = {13, 12, 11, 10, 9, 8};
        return kSizes[level - u'1'];
    }

    void text(std::u16string_view content) {
        if (preformatted_ > 0) {
            if (skipLeadingLineFeed_ && content.starts_with(u'\n')) content.remove_prefix(1);
            skipLeadingLineFeed_ = false;
            out_.preformattedText(content);
        } else {
            out_.text(content);
        }
    }

    void startTag(const HtmlToken& token) {
        const std::u16string& name = token.name;
        // Markup the page never shows (the sanitizer drops it) is an inline element without a look.
        const HtmlElement* known = findHtmlElement(name);
        const HtmlRole role = known ? known->role : HtmlRole::Inline;
        const HtmlLook look = known ? known->look : HtmlLook::Plain;
        if (isVoidElement(name)) {
            if (look == HtmlLook::LineBreak) out_.lineBreak();
            if (role == HtmlRole::Rule) out_.endParagraph(true);
            if (role == HtmlRole::Image) out_.text(attributeValue(token, u"alt"));
            return;
        }

        Open element{name};
        out_.pushFormat();
        RichTextFormat& format = out_.format();
        const std::u16string_view align = attributeValue(token, u"align");
        auto beginBlock = [&](bool spaced) {
            out_.endParagraph(spaced);
            out_.pushBlock();
            element.block = true;
            element.spaced = spaced;
            out_.block().align = parseAlign(align, out_.block().align);
        };

        switch (role) {
            case HtmlRole::Anchor:
                if (const std::u16string_view href = attributeValue(token, u"href"); isWebLink(href)) {
                    out_.beginLink(normalizeLink(href));
                    element.link = true;
                }
                break;
            case HtmlRole::Heading:
                beginBlock(true);
                format.bold = true;
                format.size = headingSize(name[1]);
                break;
            case HtmlRole::Block:
                if (look == HtmlLook::List) {
                    beginBlock(lists_.empty());
                    out_.block().indent += kListIndent;
                    List list;
                    list.ordered = name == u"ol";
                    list.next = parseInteger(attributeValue(token, u"start"), 1);
                    const std::u16string_view type = attributeValue(token, u"type");
                    if (type.size() == 1) list.type = type[0];
                    lists_.push_back(list);
                    element.list = true;
                } else {
                    beginBlock(look == HtmlLook::Spaced || look == HtmlLook::Indented ||
                               look == HtmlLook::Preformatted);
                }
                break;
            case HtmlRole::ListItem:
                beginBlock(false);
                writeListMarker(token);
                break;
            case HtmlRole::DefinitionItem:
            case HtmlRole::Section:
                beginBlock(false);
                break;
            case HtmlRole::Row:
                beginBlock(false);
                cellsInRow_ = 0;
                break;
            case HtmlRole::Caption:
                beginBlock(false);
                out_.block().align = RichTextAlign::Center;
                cellsInRow_ = 0;
                break;
            case HtmlRole::Table:
                beginBlock(true);
                out_.beginTable();
                element.table = true;
                break;
            case HtmlRole::Cell:
                // Every cell but a row's first starts at a tab, empty ones too, so the columns stay.
                if (cellsInRow_++ > 0) out_.tab();
                break;
            default:
                break;
        }
        applyLook(look, token, element);
        open_.push_back(std::move(element));
    }

    // The format or paragraph settings the element's look adds to what its role began.
    void applyLook(HtmlLook look, const HtmlToken& token, Open& element) {
        RichTextFormat& format = out_.format();
        switch (look) {
            case HtmlLook::Bold:
                format.bold = true;
                break;
            case HtmlLook::Italic:
                format.italic = true;
                break;
            case HtmlLook::Underline:
                format.underline = true;
                break;
            case HtmlLook::Strikeout:
                format.strikeout = true;
                break;
            case HtmlLook::FixedPitch:
                format.fixedPitch = true;
                break;
            case HtmlLook::Coloured:
                format.color = parseColor(attributeValue(token, u"color"), format.color);
                break;
            case HtmlLook::Quoted:
                out_.text(u"\u201C");
                element.quoted = true;
                break;
            case HtmlLook::Indented:
                out_.block().indent += element.spaced ? kQuoteIndent : kListIndent;
                if (element.spaced) out_.block().rightIndent += kQuoteIndent;
                break;
            case HtmlLook::Preformatted:
                format.fixedPitch = true;
                element.preformatted = true;
                ++preformatted_;
                skipLeadingLineFeed_ = true;
                break;
            case HtmlLook::Centered:
                out_.block().align = RichTextAlign::Center;
                break;
            default:
                break;
        }
    }

    void writeListMarker(const HtmlToken& item) {
        if (lists_.empty() || !lists_.back().ordered) {
            static constexpr std::u16string_view kBullets[] = {u"\u2022 ", u"\u25E6 ", u"\u25AA "};
            const size_t depth = lists_.empty() ? 0 : std::min<size_t>(lists_.size() - 1, 2);
            out_.text(kBullets[depth]);
            return;
        }
        List& list = lists_.back();
        list.next = parseInteger(attributeValue(item, u"value"), list.next);
        out_.text(listNumber(list.next, list.type) + u". ");
        ++list.next;
    }

    void endTag(const std::u16string& name) {
        const auto found = std::find_if(open_.rbegin(), open_.rend(),
                                        [&](const Open& element) { return element.name == name; });
        if (found == open_.rend()) return;
        const size_t depth = static_cast<size_t>(open_.rend() - found) - 1;
        while (open_.size() > depth)
            close();
    }

    void close() {
        Open element = std::move(open_.back());
        open_.pop_back();
        if (element.quoted) out_.text(u"\u201D");
        if (element.link) out_.endLink();
        if (element.preformatted) --preformatted_;
        if (element.list) lists_.pop_back();
        if (element.block) {
            out_.endParagraph(element.spaced);
            out_.popBlock();
        }
        if (element.table) out_.endTable();
        out_.popFormat();
    }

    RichTextBuilder& out_;
    std::vector<Open> open_;
    std::vector<List> lists_;
    int preformatted_ = 0;
    bool skipLeadingLineFeed_ = false;
    int cellsInRow_ = 0;
};

}  // namespace

void appendHtmlAsRichText(RichTextBuilder& builder, std::u16string_view sanitizedHtml) {
    HtmlToRichText(builder).run(sanitizedHtml);
}

}  // namespace corvane
