#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// Where a character reference stands changes how it is read: inside an attribute value a legacy
// name without ";" that runs on into a letter, digit or "=" stays as written (query strings).
enum class HtmlTextContext { Text, Attribute };

// Reads the character reference at the start of `text` (which begins with '&') the way an HTML
// parser does: decimal and hexadecimal numbers, with or without ";", and the named references of
// HTML 4 plus a few punctuation names; the legacy Latin-1 names also without ";". Appends what it
// stands for to `out` and returns the number of units read, or 0 (and appends nothing) when the
// '&' is plain text.
size_t decodeCharacterReference(std::u16string_view text, HtmlTextContext context, std::u16string& out);

// Every character reference in `text` replaced by what it stands for.
std::u16string decodeEntities(std::u16string_view text, HtmlTextContext context = HtmlTextContext::Text);

// Text that an HTML parser shows as written: '&', '<' and '>' escaped, and CR too, since a parser
// would read a bare one as a line feed.
std::u16string escapeHtmlText(std::u16string_view text);
void appendHtmlText(std::u16string& out, std::u16string_view text);

// Text that stays inside an attribute value quoted with either quote: also both quotes and the
// backtick (which old engines took for a quote) escaped.
std::u16string escapeHtmlAttribute(std::u16string_view text);
void appendHtmlAttribute(std::u16string& out, std::u16string_view text);

}  // namespace corvane
