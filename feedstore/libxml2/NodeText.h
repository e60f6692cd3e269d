#pragma once

#include "feedstore/libxml2/Libxml2Library.h"

#include <string>
#include <string_view>

// MSXML's "text" of a node, with its default of preserveWhiteSpace false, over a libxml2 tree.
//
// While parsing, a run of whitespace-only characters outside xml:space="preserve" is dropped when it
// stands alone (no text node to extend, or it ends right before markup); the node before it, or its
// parent when there is none, remembers that whitespace was there. The text of a node then joins its
// text, CDATA and entity contents in document order, puts one space before a piece where remembered
// whitespace separates it from earlier text of the same element, and trims the ends, but never into a
// CDATA section. So "<a>\n  <b>one</b>\n  <c>two</c>\n</a>" gives "one two".
namespace corvane::xml::libxml2 {

// Routes the parser's character data through the whitespace rule above.
void installWhitespaceRule(xmlParserCtxtPtr context);

// The text, as UTF-8: a view into the tree when the text is one piece of it (an element holding a
// single text node, the usual case), otherwise assembled in `buffer`; valid while both are. Raises
// FeedStoreError when entity references would expand beyond a bound.
std::string_view nodeText(xmlNodePtr node, std::string& buffer);

// All text below the node (an attribute's value, say), entities expanded within the same bound.
std::string contentText(xmlNodePtr node);

}  // namespace corvane::xml::libxml2
