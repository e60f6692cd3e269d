#include "itempage/HtmlSanitizer.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "itempage/HtmlText.h"
#include "itempage/HtmlTokenizer.h"
#include "itempage/WebLink.h"

namespace corvane {
namespace {

// What an element does to the elements open around it, modelled on how a browser builds its tree,
// so that the tags written here are the tree a browser builds from them.
enum class Role : uint8_t {
    Inline,
    Anchor,     // kept only with an acceptable href; closes an open link
    Image,      // kept only with an acceptable src; void
    LineBreak,  // br, wbr; void
    Rule,       // hr; void, closes a paragraph
    Block,      // closes a paragraph
    Heading,
    ListItem,
    DefinitionItem,
    Table,
    Caption,
    ColumnGroup,
    Column,  // void
    Section,
    Row,
    Cell,
    DropSubtree,  // dropped with everything inside
};

struct ElementRule {
    std::u16string_view name;
    Role role;
};

constexpr ElementRule kElements[] = {
    {u"a", Role::Anchor},
    {u"abbr", Role::Inline},
    {u"acronym", Role::Inline},
    {u"b", Role::Inline},
    {u"bdi", Role::Inline},
    {u"bdo", Role::Inline},
    {u"big", Role::Inline},
    {u"cite", Role::Inline},
    {u"code", Role::Inline},
    {u"del", Role::Inline},
    {u"dfn", Role::Inline},
    {u"em", Role::Inline},
    {u"font", Role::Inline},
    {u"i", Role::Inline},
    {u"ins", Role::Inline},
    {u"kbd", Role::Inline},
    {u"mark", Role::Inline},
    {u"q", Role::Inline},
    {u"s", Role::Inline},
    {u"samp", Role::Inline},
    {u"small", Role::Inline},
    {u"span", Role::Inline},
    {u"strike", Role::Inline},
    {u"strong", Role::Inline},
    {u"sub", Role::Inline},
    {u"sup", Role::Inline},
    {u"tt", Role::Inline},
    {u"u", Role::Inline},
    {u"var", Role::Inline},
    {u"img", Role::Image},
    {u"br", Role::LineBreak},
    {u"wbr", Role::LineBreak},
    {u"hr", Role::Rule},
    {u"address", Role::Block},
    {u"article", Role::Block},
    {u"aside", Role::Block},
    {u"blockquote", Role::Block},
    {u"center", Role::Block},
    {u"div", Role::Block},
    {u"dl", Role::Block},
    {u"figcaption", Role::Block},
    {u"figure", Role::Block},
    {u"footer", Role::Block},
    {u"header", Role::Block},
    {u"ol", Role::Block},
    {u"p", Role::Block},
    {u"pre", Role::Block},
    {u"section", Role::Block},
    {u"ul", Role::Block},
    {u"h1", Role::Heading},
    {u"h2", Role::Heading},
    {u"h3", Role::Heading},
    {u"h4", Role::Heading},
    {u"h5", Role::Heading},
    {u"h6", Role::Heading},
    {u"li", Role::ListItem},
    {u"dd", Role::DefinitionItem},
    {u"dt", Role::DefinitionItem},
    {u"table", Role::Table},
    {u"caption", Role::Caption},
    {u"colgroup", Role::ColumnGroup},
    {u"col", Role::Column},
    {u"thead", Role::Section},
    {u"tbody", Role::Section},
    {u"tfoot", Role::Section},
    {u"tr", Role::Row},
    {u"td", Role::Cell},
    {u"th", Role::Cell},
    // Not text a reader should see, or markup that is not HTML: their content goes with them.
    {u"svg", Role::DropSubtree},
    {u"math", Role::DropSubtree},
    {u"object", Role::DropSubtree},
    {u"applet", Role::DropSubtree},
    {u"template", Role::DropSubtree},
    {u"select", Role::DropSubtree},
    {u"frameset", Role::DropSubtree},
    {u"xml", Role::DropSubtree},
};

const ElementRule* findElement(std::u16string_view name) {
    static const std::unordered_map<std::u16string_view, const ElementRule*> table = [] {
        std::unordered_map<std::u16string_view, const ElementRule*> rules;
        for (const ElementRule& rule : kElements)
            rules.emplace(rule.name, &rule);
        return rules;
    }();
    auto found = table.find(name);
    return found == table.end() ? nullptr : found->second;
}

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
    static bool isScopeBoundary(Role role) {
        return role == Role::Table || role == Role::Cell || role == Role::Caption;
    }
    // The elements at which the search for an open list item or definition item stops.
    static bool isSpecial(const ElementRule& rule) {
        if (rule.name == u"address" || rule.name == u"div" || rule.name == u"p") return false;
        return rule.role != Role::Inline && rule.role != Role::Anchor;
    }
    static bool isTableContext(Role role) {
        return role == Role::Table || role == Role::Section || role == Role::Row || role == Role::ColumnGroup;
    }

    void skip(const HtmlToken& token) {
        if (token.name != skipping_) return;
        if (token.kind == HtmlToken::Kind::StartTag && !(token.selfClosing && isForeign(token.name))) {
            ++skipDepth_;
        } else if (token.kind == HtmlToken::Kind::EndTag && --skipDepth_ == 0) {
            skipping_.clear();
        }
    }

    const ElementRule* top() const { return stack_.empty() ? nullptr : stack_.back(); }
    bool topIs(Role role) const { return top() && top()->role == role; }

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
        return findOpen([](const ElementRule& r) { return r.role == Role::Table; },
                        [](const ElementRule&) { return false; });
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
        const size_t p = findOpen([](const ElementRule& r) { return r.name == u"p"; },
                                  [](const ElementRule& r) { return isScopeBoundary(r.role); });
        if (p != kNone) closeTo(p);
    }

    void text(std::u16string_view content) {
        const bool blank = std::all_of(content.begin(), content.end(), [](char16_t c) {
            return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f';
        });
        // A column group holds nothing but columns: a browser closes it first.
        if (!blank && topIs(Role::ColumnGroup)) closeTo(stack_.size() - 1);
        appendHtmlText(out_, content);
    }

    void writeStartTag(const ElementRule& rule, const HtmlToken& token) {
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

    void open(const ElementRule& rule, const HtmlToken& token) {
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
        const ElementRule* rule = findElement(token.name);
        if (!rule) return;  // dropped; its content stays
        const ElementRule& element = *rule;
        if (element.role == Role::DropSubtree) {
            // Only in svg and math does "/>" close an element.
            if (token.selfClosing && isForeign(token.name)) return;
            skipping_ = token.name;
            skipDepth_ = 1;
            return;
        }
        if (element.role != Role::Column && topIs(Role::ColumnGroup)) closeTo(stack_.size() - 1);

        switch (element.role) {
            case Role::Anchor: {
                if (!hasAccepted(token, u"a", u"href")) return;
                // A link inside a link closes the outer one.
                const size_t a = findOpen([](const ElementRule& r) { return r.role == Role::Anchor; },
                                          [](const ElementRule& r) { return isScopeBoundary(r.role); });
                if (a != kNone) closeTo(a);
                open(element, token);
                return;
            }
            case Role::Image:
                if (hasAccepted(token, u"img", u"src")) writeStartTag(element, token);
                return;
            case Role::LineBreak:
                writeStartTag(element, token);
                return;
            case Role::Rule:
                closeParagraph();
                writeStartTag(element, token);
                return;
            case Role::Inline:
                open(element, token);
                return;
            case Role::Block:
                closeParagraph();
                open(element, token);
                return;
            case Role::Heading:
                closeParagraph();
                if (topIs(Role::Heading)) closeTo(stack_.size() - 1);
                open(element, token);
                return;
            case Role::ListItem:
            case Role::DefinitionItem: {
                const bool listItem = element.role == Role::ListItem;
                const size_t item = findOpen(
                    [&](const ElementRule& r) {
                        return listItem ? r.name == u"li" : r.role == Role::DefinitionItem;
                    },
                    [](const ElementRule& r) { return isSpecial(r); });
                if (item != kNone) closeTo(item);
                closeParagraph();
                open(element, token);
                return;
            }
            case Role::Table: {
                // A table straight inside a table (not in a cell) ends the first one.
                const size_t context = findOpen(
                    [](const ElementRule& r) {
                        return isTableContext(r.role) || r.role == Role::Cell || r.role == Role::Caption;
                    },
                    [](const ElementRule&) { return false; });
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
            case Role::Caption:
            case Role::ColumnGroup:
            case Role::Section:
                closeTo(table + 1);
                open(element, token);
                return;
            case Role::Column:
                if (!topIs(Role::ColumnGroup)) closeTo(table + 1);
                writeStartTag(element, token);
                return;
            case Role::Row:
                while (stack_.size() > table + 1 && !topIs(Role::Section))
                    closeTo(stack_.size() - 1);
                open(element, token);
                return;
            case Role::Cell:
                while (stack_.size() > table + 1 && !topIs(Role::Section) && !topIs(Role::Row))
                    closeTo(stack_.size() - 1);
                // A cell always stands in a row: written out, so the tree here is the browser's.
                if (!topIs(Role::Row)) open(*findElement(u"tr"), HtmlToken{});
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
        const ElementRule* rule = findElement(token.name);
        if (!rule) return;
        auto matchesName = [&](const ElementRule& r) { return r.name == token.name; };
        auto scopeBounds = [](const ElementRule& r) { return isScopeBoundary(r.role); };
        auto tableBounds = [](const ElementRule& r) { return r.role == Role::Table; };
        size_t found = kNone;
        switch (rule->role) {
            case Role::Image:
            case Role::LineBreak:
            case Role::Rule:
            case Role::Column:
            case Role::DropSubtree:
                return;
            case Role::Heading:
                found = findOpen([](const ElementRule& r) { return r.role == Role::Heading; }, scopeBounds);
                break;
            case Role::Table:
                found = nearestTable();
                break;
            case Role::Caption:
            case Role::ColumnGroup:
            case Role::Section:
            case Role::Row:
            case Role::Cell:
                found = findOpen(matchesName, tableBounds);
                break;
            case Role::ListItem:
                found = findOpen(matchesName, [](const ElementRule& r) {
                    return isScopeBoundary(r.role) || r.name == u"ul" || r.name == u"ol";
                });
                break;
            default:
                found = findOpen(matchesName, scopeBounds);
                break;
        }
        if (found != kNone) closeTo(found);
    }

    std::vector<const ElementRule*> stack_;
    std::u16string out_;
    std::u16string skipping_;
    size_t skipDepth_ = 0;
};

}  // namespace

std::u16string sanitizeHtml(std::u16string_view html) {
    return Sanitizer().run(html);
}

}  // namespace corvane
