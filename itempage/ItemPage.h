#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "feedstore/RSSItem.h"

namespace corvane {

// The fixed page that shows one message, with "[[name]]" placeholders.
std::u16string_view itemPageTemplate();
// The style sheet the page is shown with: installed once per hosted document, or written into the
// head of a whole document.
std::u16string_view itemPageStyleSheet();

struct PageField {
    std::u16string_view placeholder;  // with its brackets, "[[date]]"
    std::u16string value;             // HTML, ready to stand in the page
};

// The template filled in one pass over the template itself: every placeholder that names a field
// is replaced by the field's value, and the values are never searched for placeholders, so feed
// text that contains one shows it as written. Unknown placeholders stay as they are.
std::u16string fillTemplate(std::u16string_view pageTemplate, std::span<const PageField> fields);

// "2003-06-09 23:00" from the parsed date as it stands (no change of zone); empty without a date.
std::u16string formatItemDate(const RSSItem& item);

// The template's fields for one item, in the template's own order of filling: title and author
// escaped as text, description and content sanitized, the article and attachment links only when
// they are web links (empty otherwise) and escaped for their quoted attributes.
std::vector<PageField> itemPageFields(const RSSItem& item);

// The page body of one item: what the page control sets as its document body.
std::u16string renderItemBody(const RSSItem& item);

// A whole HTML document for one item: the charset declared as UTF-8 (the text is meant to be
// written so), a policy that lets no script run and nothing but images load, the item's title,
// the style sheet and the page body.
std::u16string renderItemDocument(const RSSItem& item);

}  // namespace corvane
