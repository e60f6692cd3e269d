#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Feed HTML reduced to what the item page may show inside the file manager's process: ordinary
// formatting, headings, lists, tables, images with http or https sources and links with http,
// https or mailto targets, with a few plain presentational attributes. Every other element is
// dropped, keeping its text, except scripts, styles, frames, objects, forms' option lists, svg and
// math, whose content goes too. No event handler, style, id or class attribute survives.
//
// The result is written anew, never copied: every tag is one this function wrote, with its values
// quoted and escaped; text is escaped; elements are closed in order (the ones a browser closes
// implicitly, such as a paragraph before a block, explicitly) and all of them by the end. Links
// are judged after character references are decoded and as a browser reads them. Sanitizing the
// result again gives the same text.
std::u16string sanitizeHtml(std::u16string_view html);

}  // namespace corvane
