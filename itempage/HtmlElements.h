#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The elements the item page lets through, each with what it does to the elements open around it
// (the sanitizer builds a browser's tree by it) and how the rich-text page shows it. The one
// definition of what markup reaches either path of the page.
namespace corvane {

// Modelled on how a browser builds its tree, so that the tags the sanitizer writes are the tree a
// browser builds from them.
enum class HtmlRole : uint8_t {
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

// What the rich-text page makes of an element beyond its role.
enum class HtmlLook : uint8_t {
    Plain,
    Bold,
    Italic,
    Underline,
    Strikeout,
    FixedPitch,
    Coloured,      // font's color
    Quoted,        // q: between quotation marks
    LineBreak,     // br (wbr breaks nothing)
    Spaced,        // a block standing apart from its neighbours
    Indented,      // blockquote on both sides, dd on the left
    Preformatted,  // pre
    List,          // ul, ol
    Centered,      // center
};

struct HtmlElement {
    std::u16string_view name;
    HtmlRole role;
    HtmlLook look;
};

// The element of that name (lower case); null for one the page never shows.
const HtmlElement* findHtmlElement(std::u16string_view name);
// Every element the page shows.
std::span<const HtmlElement> htmlElements();

}  // namespace corvane
