#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Character data as the plain reader checks and decodes it: well-formed UTF-8 of XML characters,
// with the predefined and numeric character references. What it does not take (a carriage return,
// which XML would turn into a line feed, any other reference) raises NotPlainXml.
namespace corvane::xml {

// Checks text or an attribute value without its quotes, references included; the number of UTF-16
// units it decodes to.
size_t checkCharacters(std::string_view text);
// Checks text taken as it stands (CDATA, a comment, an instruction's data): no references, and `&`
// and `<` are characters like the others; the number of UTF-16 units it decodes to.
size_t checkLiteralCharacters(std::string_view text);

// Appends checked text of `units` UTF-16 units (as counted by the check), its references replaced
// unless it is `literal`; an attribute value's tabs and line feeds become spaces, as a parser
// normalises them.
enum class CharacterData { Text, AttributeValue, Literal };
void decodeCharacters(std::string_view text, size_t units, CharacterData kind, std::u16string& out);

}  // namespace corvane::xml
