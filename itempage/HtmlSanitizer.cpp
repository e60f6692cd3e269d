#include "itempage/HtmlSanitizer.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "itempage/HtmlElements.h"
#include "itempage/HtmlText.h"
#include "itempage/HtmlTokenizer.h"
#include "itempage/WebLink.h"

namespace corvane {
namespace {

// Raw-text contents that a browser shows as text; the others (scripts, styles, frames' fallback,
// titles) are not shown and are dropped.
bool isShownRawText(std::u16string_view element) {
    return element == u"xmp" || element == u"textarea" || element == u"plaintext";
}

enum class Value : uint8_t {
    Text,
    Link,         // http, https, mailto
    ImageSource,  // http, https
    Digits,
    Length,   // digits, or digits and "%"
    Integer,  // an optional "-" and digits
    Language,
    Direction,
    Align,
    VerticalAlign,
    ImageAlign,
    OrderedListType,
    ListType,
    Color,
    FontFace,
    FontSize,
    Scope,
    Flag,
};

struct AttributeRule {
    std::u16string_view element;  // empty: every kept element
    std::u16string_view attribute;
    Value value;
};

constexpr AttributeRule kAttributes[] = {
    {u"", u"title", Value::Text},
    {u"", u"lang", Value::Language},
    {u"", u"dir", Value::Direction},
    {u"a", u"href", Value::Link},
    {u"img", u"src", Value::ImageSource},
    {u"img", u"alt", Value::Text},
    {u"img", u"width", Value::Digits},
    {u"img", u"height", Value::Digits},
    {u"img", u"border", Value::Digits},
    {u"img", u"hspace", Value::Digits},
    {u"img", u"vspace", Value::Digits},
    {u"img", u"align", Value::ImageAlign},
    {u"font", u"color", Value::Color},
    {u"font", u"face", Value::FontFace},
    {u"font", u"size", Value::FontSize},
    {u"p", u"align", Value::Align},
    {u"div", u"align", Value::Align},
    {u"h1", u"align", Value::Align},
    {u"h2", u"align", Value::Align},
    {u"h3", u"align", Value::Align},
    {u"h4", u"align", Value::Align},
    {u"h5", u"align", Value::Align},
    {u"h6", u"align", Value::Align},
    {u"caption", u"align", Value::Align},
    {u"ol", u"start", Value::Integer},
    {u"ol", u"type", Value::OrderedListType},
    {u"ol", u"reversed", Value::Flag},
    {u"ul", u"type", Value::ListType},
    {u"li", u"value", Value::Integer},
    {u"table", u"width", Value::Length},
    {u"table", u"border", Value::Digits},
    {u"table", u"cellpadding", Value::Digits},
    {u"table", u"cellspacing", Value::Digits},
    {u"table", u"align", Value::Align},
    {u"table", u"summary", Value::Text},
    {u"thead", u"align", Value::Align},
    {u"thead", u"valign", Value::VerticalAlign},
    {u"tbody", u"align", Value::Align},
    {u"tbody", u"valign", Value::VerticalAlign},
    {u"tfoot", u"align", Value::Align},
    {u"tfoot", u"valign", Value::VerticalAlign},
    {u"tr", u"align", Value::Align},
    {u"tr", u"valign", Value::VerticalAlign},
    {u"td", u"colspan", Value::Digits},
    {u"td", u"rowspan", Value::Digits},
    {u"td", u"width", Value::Length},
    {u"td", u"height", Value::Length},
    {u"td", u"align", Value::Align},
    {u"td", u"valign", Value::VerticalAlign},
    {u"th", u"colspan", Value::Digits},
    {u"th", u"rowspan", Value::Digits},
    {u"th", u"width", Value::Length},
    {u"th", u"height", Value::Length},
    {u"th", u"align", Value::Align},
    {u"th", u"valign", Value::VerticalAlign},
    {u"th", u"scope", Value::Scope},
    {u"th", u"abbr", Value::Text},
    {u"col", u"span", Value::Digits},
    {u"col", u"width", Value::Length},
    {u"col", u"align", Value::Align},
    {u"col", u"valign", Value::VerticalAlign},
    {u"colgroup", u"span", Value::Digits},
    {u"colgroup", u"width", Value::Length},
    {u"colgroup", u"align", Value::Align},
    {u"colgroup", u"valign", Value::VerticalAlign},
};

std::optional<Value> findAttribute(std::u16string_view element, std::u16string_view attribute) {
    for (const AttributeRule& rule : kAttributes)
        if (rule.attribute == attribute && (rule.element.empty() || rule.element == element))
            return rule.value;
    return std::nullopt;
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isHexDigit(char16_t c) {
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view lower) {
    if (a.size() != lower.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if ((a[i] >= u'A' && a[i] <= u'Z' ? a[i] + 0x20 : a[i]) != lower[i]) return false;
    return true;
}

bool isAnyOf(std::u16string_view value, std::initializer_list<std::u16string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::u16string_view w) { return equalsIgnoringCase(value, w); });
}

template <class Predicate>
bool isRunOf(std::u16string_view value, size_t longest, Predicate allowed) {
    return !value.empty() && value.size() <= longest && std::all_of(value.begin(), value.end(), allowed);
}

// The value as it is written out, or nothing when the attribute must go.
std::optional<std::u16string> acceptedValue(Value kind, std::u16string_view attribute,
                                            std::u16string_view value) {
    const std::u16string text(value);
    auto keepIf = [&](bool accepted) {
        return accepted ? std::optional<std::u16string>(text) : std::nullopt;
    };
    switch (kind) {
        case Value::Text:
            return text;
        case Value::Link:
        case Value::ImageSource: {
            const std::u16string scheme = linkScheme(value);
            const bool accepted =
                scheme == u"http" || scheme == u"https" || (kind == Value::Link && scheme == u"mailto");
            if (!accepted) return std::nullopt;
            return normalizeLink(value);
        }
        case Value::Digits:
            return keepIf(isRunOf(value, 5, isDigit));
        case Value::Length:
            return keepIf(
                isRunOf(value.ends_with(u'%') ? value.substr(0, value.size() - 1) : value, 5, isDigit));
        case Value::Integer:
            return keepIf(isRunOf(value.starts_with(u'-') ? value.substr(1) : value, 9, isDigit));
        case Value::Language:
            return keepIf(
                isRunOf(value, 35, [](char16_t c) { return isLetter(c) || isDigit(c) || c == u'-'; }));
        case Value::Direction:
            return keepIf(isAnyOf(value, {u"ltr", u"rtl", u"auto"}));
        case Value::Align:
            return keepIf(isAnyOf(value, {u"left", u"center", u"right", u"justify"}));
        case Value::VerticalAlign:
            return keepIf(isAnyOf(value, {u"top", u"middle", u"bottom", u"baseline"}));
        case Value::ImageAlign:
            return keepIf(isAnyOf(value, {u"left", u"right", u"top", u"middle", u"bottom", u"baseline"}));
        case Value::OrderedListType:
            return keepIf(value == u"1" || value == u"a" || value == u"A" || value == u"i" || value == u"I");
        case Value::ListType:
            return keepIf(isAnyOf(value, {u"disc", u"circle", u"square"}));
        case Value::Color:
            if (value.starts_with(u'#'))
                return keepIf((value.size() == 4 || value.size() == 7) &&
                              isRunOf(value.substr(1), 6, isHexDigit));
            return keepIf(isRunOf(value, 20, isLetter));
        case Value::FontFace:
            return keepIf(isRunOf(value, 100, [](char16_t c) {
                return isLetter(c) || isDigit(c) || c == u' ' || c == u',' || c == u'-';
            }));
        case Value::FontSize:
            return keepIf(isRunOf(
                value.starts_with(u'+') || value.starts_with(u'-') ? value.substr(1) : value, 1, isDigit));
        case Value::Scope:
            return keepIf(isAnyOf(value, {u"row", u"col", u"rowgroup", u"colgroup"}));
        case Value::Flag:
            return keepIf(value.empty() || equalsIgnoringCase(value, attribute));
    }
    return std::nullopt;
}

const HtmlAttribute* findTokenAttribute(const HtmlToken& token, std::u16string_view name) {
    for (const HtmlAttribute& attribute : token.attributes)
        if (attribute.name == name) return &attribute;
    return nullptr;
}

class Sanitizer {
  public:
    std::u16string run(std::u16string_view html) {
        HtmlTokenizer tokenizer(html);
        for (HtmlToken token = tokenizer.next(); token.kind != HtmlToken::Kind::End;
             token = tokenizer.next()) {
            if (!skipping_.empty()) {
                skip(token);
                continue;
            }
            switch (token.kind) {
                case HtmlToken::Kind::Text:
                    text(token.text);
                    break;
                case HtmlToken::Kind::RawText:
                    if (isShownRawText(token.name)) text(token.text);
                    break;
                case HtmlToken::Kind::StartTag:
                    startTag(token);
                    break;
                case HtmlToken::Kind::EndTag:
                    endTag(token);
                    break;
                case HtmlToken::Kind::End:
                    break;
            }
        }
        closeTo(0);
        return std::move(out_);
    }

  private:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    static constexpr size_t kDeepestNesting = 200;

    static bool isForeign(std::u16string_view name) { return name == u"svg" || name == u"math"; }
    static bool isScopeBoundary(HtmlRole role) {
        return role == HtmlRole::Table || role == HtmlRole::Cell || role == HtmlRole::Caption;
    }
    // The elements at which the search for an open list item or definition item stops.
    static bool isSpecial(const HtmlElement& rule) {
        if (rule.name == u"address" || rule.name == u"div" || rule.name == u"p") return false;
        return rule.role != HtmlRole::Inline && rule.role != HtmlRole::Anchor;
    }
    static bool isTableContext(HtmlRole role) {
        return role == HtmlRole::Table || role == HtmlRole::Section || role == HtmlRole::Row ||
               role == HtmlRole::ColumnGroup;
    }

    void skip(const HtmlToken& token) {
        if (token.name != skipping_) return;
        if (token.kind == HtmlToken::Kind::StartTag && !(token.selfClosing && isForeign(token.name))) {
            ++skipDepth_;
        } else if (token.kind == HtmlToken::Kind::EndTag && --skipDepth_ == 0) {
            skipping_.clear();
        }
    }

    const HtmlElement* top() const { return stack_.empty() ? nullptr : stack_.back(); }
    bool topIs(HtmlRole role) const { return top() && top()->role == role; }

    // Index of the nearest open element that `matches`, searching down from the innermost and
    // stopping at the first one that `bounds`.
    template <class Matches, class Bounds>
    size_t findOpen(Matches matches, Bounds bounds) const {
        for (size_t i = stack_.size(); i-- > 0;) {
            if (matches(*stack_[i])) return i;
            if (bounds(*stack_[i])) return kNone;
        }
        return kNone;
    }
    size_t nearestTable() const {
        return findOpen([](const HtmlElement& r) { return r.role == HtmlRole::Table; },
                        [](const HtmlElement&) { return false; });
    }

    // Closes open elements, innermost first, until `size` remain.
    void closeTo(size_t size) {
        while (stack_.size() > size) {
            out_ += u"</";
            out_ += stack_.back()->name;
            out_ += u'>';
            stack_.pop_back();
        }
    }

    void closeParagraph() {
        const size_t p = findOpen([](const HtmlElement& r) { return r.name == u"p"; },
                                  [](const HtmlElement& r) { return isScopeBoundary(r.role); });
        if (p != kNone) closeTo(p);
    }

    void text(std::u16string_view content) {
        const bool blank = std::all_of(content.begin(), content.end(), [](char16_t c) {
            return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f';
        });
        // A column group holds nothing but columns: a browser closes it first.
        if (!blank && topIs(HtmlRole::ColumnGroup)) closeTo(stack_.size() - 1);
        appendHtmlText(out_, content);
    }

    void writeStartTag(const HtmlElement& rule, const HtmlToken& token) {
        out_ += u'<';
        out_ += rule.name;
        for (const HtmlAttribute& attribute : token.attributes) {
            const std::optional<Value> kind = findAttribute(rule.name, attribute.name);
            if (!kind) continue;
            const std::optional<std::u16string> value = acceptedValue(*kind, attribute.name, attribute.value);
            if (!value) continue;
            out_ += u' ';
            out_ += attribute.name;
            out_ += u"=\"";
            appendHtmlAttribute(out_, *value);
            out_ += u'"';
        }
        out_ += u'>';
    }

    void open(const HtmlElement& rule, const HtmlToken& token) {
        // Deeper nesting shows nothing more, and would make every search of the open elements long.
        if (stack_.size() >= kDeepestNesting) return;
        writeStartTag(rule, token);
        stack_.push_back(&rule);
    }

    bool hasAccepted(const HtmlToken& token, std::u16string_view element,
                     std::u16string_view attribute) const {
        const HtmlAttribute* found = findTokenAttribute(token, attribute);
        return found && acceptedValue(*findAttribute(element, attribute), attribute, found->value);
    }

    void startTag(const HtmlToken& token) {
        const HtmlElement* rule = findHtmlElement(token.name);
        if (!rule) return;  // dropped; its content stays
        const HtmlElement& element = *rule;
        if (element.role == HtmlRole::DropSubtree) {
            // Only in svg and math does "/>" close an element.
            if (token.selfClosing && isForeign(token.name)) return;
            skipping_ = token.name;
            skipDepth_ = 1;
            return;
        }
        if (element.role != HtmlRole::Column && topIs(HtmlRole::ColumnGroup)) closeTo(stack_.size() - 1);

        switch (element.role) {
            case HtmlRole::Anchor: {
                if (!hasAccepted(token, u"a", u"href")) return;
                // A link inside a link closes the outer one.
                const size_t a = findOpen([](const HtmlElement& r) { return r.role == HtmlRole::Anchor; },
                                          [](const HtmlElement& r) { return isScopeBoundary(r.role); });
                if (a != kNone) closeTo(a);
                open(element, token);
                return;
            }
            case HtmlRole::Image:
                if (hasAccepted(token, u"img", u"src")) writeStartTag(element, token);
                return;
            case HtmlRole::LineBreak:
                writeStartTag(element, token);
                return;
            case HtmlRole::Rule:
                closeParagraph();
                writeStartTag(element, token);
                return;
            case HtmlRole::Inline:
                open(element, token);
                return;
            case HtmlRole::Block:
                closeParagraph();
                open(element, token);
                return;
            case HtmlRole::Heading:
                closeParagraph();
                if (topIs(HtmlRole::Heading)) closeTo(stack_.size() - 1);
                open(element, token);
                return;
            case HtmlRole::ListItem:
            case HtmlRole::DefinitionItem: {
                const bool listItem = element.role == HtmlRole::ListItem;
                const size_t item = findOpen(
                    [&](const HtmlElement& r) {
                        return listItem ? r.name == u"li" : r.role == HtmlRole::DefinitionItem;
                    },
                    [](const HtmlElement& r) { return isSpecial(r); });
                if (item != kNone) closeTo(item);
                closeParagraph();
                open(element, token);
                return;
            }
            case HtmlRole::Table: {
                // A table straight inside a table (not in a cell) ends the first one.
                const size_t context = findOpen(
                    [](const HtmlElement& r) {
                        return isTableContext(r.role) || r.role == HtmlRole::Cell ||
                               r.role == HtmlRole::Caption;
                    },
                    [](const HtmlElement&) { return false; });
                if (context != kNone && isTableContext(stack_[context]->role)) closeTo(nearestTable());
                closeParagraph();
                open(element, token);
                return;
            }
            default:
                break;
        }

        // The parts of a table: a browser ignores them outside one, and closes what is open inside
        // the nearest table up to where they belong.
        const size_t table = nearestTable();
        if (table == kNone) return;
        switch (element.role) {
            case HtmlRole::Caption:
            case HtmlRole::ColumnGroup:
            case HtmlRole::Section:
                closeTo(table + 1);
                open(element, token);
                return;
            case HtmlRole::Column:
                if (!topIs(HtmlRole::ColumnGroup)) closeTo(table + 1);
                writeStartTag(element, token);
                return;
            case HtmlRole::Row:
                while (stack_.size() > table + 1 && !topIs(HtmlRole::Section))
                    closeTo(stack_.size() - 1);
                open(element, token);
                return;
            case HtmlRole::Cell:
                while (stack_.size() > table + 1 && !topIs(HtmlRole::Section) && !topIs(HtmlRole::Row))
                    closeTo(stack_.size() - 1);
                // A cell always stands in a row: written out, so the tree here is the browser's.
                if (!topIs(HtmlRole::Row)) open(*findHtmlElement(u"tr"), HtmlToken{});
                open(element, token);
                return;
            default:
                return;
        }
    }

    void endTag(const HtmlToken& token) {
        // A browser reads "</br>" as "<br>".
        if (token.name == u"br") {
            out_ += u"<br>";
            return;
        }
        const HtmlElement* rule = findHtmlElement(token.name);
        if (!rule) return;
        auto matchesName = [&](const HtmlElement& r) { return r.name == token.name; };
        auto scopeBounds = [](const HtmlElement& r) { return isScopeBoundary(r.role); };
        auto tableBounds = [](const HtmlElement& r) { return r.role == HtmlRole::Table; };
        size_t found = kNone;
        switch (rule->role) {
            case HtmlRole::Image:
            case HtmlRole::LineBreak:
            case HtmlRole::Rule:
            case HtmlRole::Column:
            case HtmlRole::DropSubtree:
                return;
            case HtmlRole::Heading:
                found =
                    findOpen([](const HtmlElement& r) { return r.role == HtmlRole::Heading; }, scopeBounds);
                break;
            case HtmlRole::Table:
                found = nearestTable();
                break;
            case HtmlRole::Caption:
            case HtmlRole::ColumnGroup:
            case HtmlRole::Section:
            case HtmlRole::Row:
            case HtmlRole::Cell:
                found = findOpen(matchesName, tableBounds);
                break;
            case HtmlRole::ListItem:
                found = findOpen(matchesName, [](const HtmlElement& r) {
                    return isScopeBoundary(r.role) || r.name == u"ul" || r.name == u"ol";
                });
                break;
            default:
                found = findOpen(matchesName, scopeBounds);
                break;
        }
        if (found != kNone) closeTo(found);
    }

    std::vector<const HtmlElement*> stack_;
    std::u16string out_;
    std::u16string skipping_;
    size_t skipDepth_ = 0;
};

}  // namespace

std::u16string sanitizeHtml(std::u16string_view html) {
    return Sanitizer().run(html);
}

}  // namespace corvane
