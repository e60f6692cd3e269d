#pragma once

#include <string_view>

#include "itempage/RichText.h"

namespace corvane {

// Sanitized HTML written into `builder` with its meaning: paragraphs and line breaks, bold,
// italic, underline, struck text, headings, lists with bullets or numbers, indented quotations,
// preformatted and code text in a fixed-pitch font, table rows as lines with cells apart, web
// links as links (any other target is plain text), images as their alternative text. Markup of
// any other kind shows nothing.
void appendHtmlAsRichText(RichTextBuilder& builder, std::u16string_view sanitizedHtml);

}  // namespace corvane
