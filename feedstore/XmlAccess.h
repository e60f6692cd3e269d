#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "feedstore/XmlDocument.h"

// The operations the feed store performs on XML, with their diagnostics. A search that finds
// nothing and a failed load are results; every failed status of the component raises FeedStoreError.
namespace corvane::xml {

DocumentPtr createDocument();
// loadXML of the text; on failure the trace gets "%s at load xml %s in line %d". Returned either way.
DocumentPtr loadXmlText(std::u16string_view text);
// load of the file; on failure "%s at load %s" (reason, path) and an empty document is returned.
DocumentPtr loadXmlFile(std::u16string_view path, bool validate, bool resolve);
// load of downloaded bytes with validation on and external resolution off; on failure
// "%s at load %s" (reason, sourceName: the feed URL) and false, the document left empty. Bytes that
// fail the DOCTYPE check (isDoctypeSafe) are refused before the component sees them.
bool loadXmlStream(Document& document, std::span<const uint8_t> bytes, std::u16string_view sourceName);

NodePtr selectNode(Node& node, std::u16string_view path);
// selectNode, but only an element counts; anything else is no match.
NodePtr selectElement(Node& node, std::u16string_view path);
std::vector<NodePtr> selectNodes(Node& node, std::u16string_view path);
// Empty for a null node.
std::u16string nodeText(Node* node);

std::u16string getAttributeText(Node& element, std::u16string_view name, std::u16string_view defaultValue);
void setAttributeText(Node& element, std::u16string_view name, std::u16string_view value);
void setAttributeInt(Node& element, std::u16string_view name, int32_t value);
// A child element holding one text node with the value (made also for an empty value).
void appendTextElement(Document& document, Node& parent, std::u16string_view name, std::u16string_view value);
void appendIntElement(Document& document, Node& parent, std::u16string_view name, int32_t value);

// Writes the document to the path through a temporary file in the same folder that then replaces
// the original in one step: a failed save leaves the old file whole. Raises on failure.
void saveXmlFile(Document& document, std::u16string_view path);

}  // namespace corvane::xml
