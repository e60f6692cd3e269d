#pragma once

#include "feedstore/RSSItem.h"
#include "itempage/RichText.h"

namespace corvane {

// The base size of the rich-text page, in points; RichTextFormat sizes of 0 mean this one.
constexpr int kItemRichTextSize = 9;

// The message page as rich text, for where no HTML document can be shown: the same page as the
// HTML template gives, field by field. The date line when the item has a date, the title as a
// heading, the sanitized description and content, then "Original article link" (a link when the
// item's link is a web link), "Attachment" for an enclosure (likewise), and the author on a line
// of its own on the right.
RichText renderItemRichText(const RSSItem& item);

}  // namespace corvane
