#include "itempage/HtmlElements.h"

#include <unordered_map>

namespace corvane {
namespace {

constexpr HtmlElement kElements[] = {
    {u"a", HtmlRole::Anchor, HtmlLook::Plain},
    {u"abbr", HtmlRole::Inline, HtmlLook::Plain},
    {u"acronym", HtmlRole::Inline, HtmlLook::Plain},
    {u"b", HtmlRole::Inline, HtmlLook::Bold},
    {u"bdi", HtmlRole::Inline, HtmlLook::Plain},
    {u"bdo", HtmlRole::Inline, HtmlLook::Plain},
    {u"big", HtmlRole::Inline, HtmlLook::Plain},
    {u"cite", HtmlRole::Inline, HtmlLook::Italic},
    {u"code", HtmlRole::Inline, HtmlLook::FixedPitch},
    {u"del", HtmlRole::Inline, HtmlLook::Strikeout},
    {u"dfn", HtmlRole::Inline, HtmlLook::Italic},
    {u"em", HtmlRole::Inline, HtmlLook::Italic},
    {u"font", HtmlRole::Inline, HtmlLook::Coloured},
    {u"i", HtmlRole::Inline, HtmlLook::Italic},
    {u"ins", HtmlRole::Inline, HtmlLook::Underline},
    {u"kbd", HtmlRole::Inline, HtmlLook::FixedPitch},
    {u"mark", HtmlRole::Inline, HtmlLook::Plain},
    {u"q", HtmlRole::Inline, HtmlLook::Quoted},
    {u"s", HtmlRole::Inline, HtmlLook::Strikeout},
    {u"samp", HtmlRole::Inline, HtmlLook::FixedPitch},
    {u"small", HtmlRole::Inline, HtmlLook::Plain},
    {u"span", HtmlRole::Inline, HtmlLook::Plain},
    {u"strike", HtmlRole::Inline, HtmlLook::Strikeout},
    {u"strong", HtmlRole::Inline, HtmlLook::Bold},
    {u"sub", HtmlRole::Inline, HtmlLook::Plain},
    {u"sup", HtmlRole::Inline, HtmlLook::Plain},
    {u"tt", HtmlRole::Inline, HtmlLook::FixedPitch},
    {u"u", HtmlRole::Inline, HtmlLook::Underline},
    {u"var", HtmlRole::Inline, HtmlLook::Italic},
    {u"img", HtmlRole::Image, HtmlLook::Plain},
    {u"br", HtmlRole::LineBreak, HtmlLook::LineBreak},
    {u"wbr", HtmlRole::LineBreak, HtmlLook::Plain},
    {u"hr", HtmlRole::Rule, HtmlLook::Plain},
    {u"address", HtmlRole::Block, HtmlLook::Plain},
    {u"article", HtmlRole::Block, HtmlLook::Plain},
    {u"aside", HtmlRole::Block, HtmlLook::Plain},
    {u"blockquote", HtmlRole::Block, HtmlLook::Indented},
    {u"center", HtmlRole::Block, HtmlLook::Centered},
    {u"div", HtmlRole::Block, HtmlLook::Plain},
    {u"dl", HtmlRole::Block, HtmlLook::Spaced},
    {u"figcaption", HtmlRole::Block, HtmlLook::Plain},
    {u"figure", HtmlRole::Block, HtmlLook::Plain},
    {u"footer", HtmlRole::Block, HtmlLook::Plain},
    {u"header", HtmlRole::Block, HtmlLook::Plain},
    {u"ol", HtmlRole::Block, HtmlLook::List},
    {u"p", HtmlRole::Block, HtmlLook::Spaced},
    {u"pre", HtmlRole::Block, HtmlLook::Preformatted},
    {u"section", HtmlRole::Block, HtmlLook::Plain},
    {u"ul", HtmlRole::Block, HtmlLook::List},
    {u"h1", HtmlRole::Heading, HtmlLook::Plain},
    {u"h2", HtmlRole::Heading, HtmlLook::Plain},
    {u"h3", HtmlRole::Heading, HtmlLook::Plain},
    {u"h4", HtmlRole::Heading, HtmlLook::Plain},
    {u"h5", HtmlRole::Heading, HtmlLook::Plain},
    {u"h6", HtmlRole::Heading, HtmlLook::Plain},
    {u"li", HtmlRole::ListItem, HtmlLook::Plain},
    {u"dd", HtmlRole::DefinitionItem, HtmlLook::Indented},
    {u"dt", HtmlRole::DefinitionItem, HtmlLook::Bold},
    {u"table", HtmlRole::Table, HtmlLook::Plain},
    {u"caption", HtmlRole::Caption, HtmlLook::Plain},
    {u"colgroup", HtmlRole::ColumnGroup, HtmlLook::Plain},
    {u"col", HtmlRole::Column, HtmlLook::Plain},
    {u"thead", HtmlRole::Section, HtmlLook::Plain},
    {u"tbody", HtmlRole::Section, HtmlLook::Plain},
    {u"tfoot", HtmlRole::Section, HtmlLook::Plain},
    {u"tr", HtmlRole::Row, HtmlLook::Plain},
    {u"td", HtmlRole::Cell, HtmlLook::Plain},
    {u"th", HtmlRole::Cell, HtmlLook::Bold},
    // Not text a reader should see, or markup that is not HTML: their content goes with them.
    {u"svg", HtmlRole::DropSubtree, HtmlLook::Plain},
    {u"math", HtmlRole::DropSubtree, HtmlLook::Plain},
    {u"object", HtmlRole::DropSubtree, HtmlLook::Plain},
    {u"applet", HtmlRole::DropSubtree, HtmlLook::Plain},
    {u"template", HtmlRole::DropSubtree, HtmlLook::Plain},
    {u"select", HtmlRole::DropSubtree, HtmlLook::Plain},
    {u"frameset", HtmlRole::DropSubtree, HtmlLook::Plain},
    {u"xml", HtmlRole::DropSubtree, HtmlLook::Plain},
};

}  // namespace

std::span<const HtmlElement> htmlElements() {
    return kElements;
}

const HtmlElement* findHtmlElement(std::u16string_view name) {
    static const std::unordered_map<std::u16string_view, const HtmlElement*> table = [] {
        std::unordered_map<std::u16string_view, const HtmlElement*> elements;
        for (const HtmlElement& element : kElements)
            elements.emplace(element.name, &element);
        return elements;
    }();
    auto found = table.find(name);
    return found == table.end() ? nullptr : found->second;
}

}  // namespace corvane
