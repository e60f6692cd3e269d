#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Character data as the plain reader checks and decodes it: well-formed UTF-8 of XML characters,
// with the predefined and numeric character references. What it does not take (any other
// reference, and a carriage return unless `lineEnds` says it is to be read as XML reads it, the end
// of a line) raises NotPlainXml.
namespace corvane::xml {

// Checks text or an attribute value without its quotes, references included; the number of UTF-16
// units it decodes to.
size_t checkCharacters(std::string_view text, bool lineEnds = false);
// Checks text taken as it stands (CDATA, a comment, an instruction's data): no references, and `&`
// and `<` are characters like the others; the number of UTF-16 units it decodes to.
size_t checkLiteralCharacters(std::string_view text, bool lineEnds = false);

// Appends checked text of `units` UTF-16 units (as counted by the check), its references replaced
// unless it is `literal`; a carriage return and a line feed after it are one line feed, and an
// attribute value's tabs and line ends become spaces, as a parser normalises them.
enum class CharacterData { Text, AttributeValue, Literal };
void decodeCharacters(std::string_view text, size_t units, CharacterData kind, std::u16string& out);

}  // namespace corvane::xml
