#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvane {

// Entity text that all references in one document may add, in characters: far above what a feed
// that names a few plain-text entities needs, far below what would exhaust the reader's memory.
inline constexpr size_t kMaxEntityExpansion = 4 * 1024 * 1024;

// A check made on a downloaded document before the XML component sees it: false when its DOCTYPE
// declares an external entity, a parameter entity, or an entity whose text refers to another entity
// (the nesting that lets a few hundred bytes expand to gigabytes), when the references to its
// entities would add more than kMaxEntityExpansion characters, or when the document cannot be read.
// A DOCTYPE that only names an external DTD, and entities holding plain text, character references
// or the five predefined references, pass. UTF-8, ASCII-compatible 8-bit encodings, UTF-16 and UCS-4
// (with or without a byte-order mark) are read; EBCDIC, the unusual UCS-4 byte orders and encodings
// that may spell markup other than in ASCII (UTF-7, ISO-2022) are refused.
bool isDoctypeSafe(std::span<const uint8_t> bytes);

// The same look at the DOCTYPE, with what it found.
struct DoctypeVerdict {
    bool safe = true;
    // False only when the document certainly declares no entity: its start reads as markup and no
    // internal subset declares one. Without entities no text of the document can fail to read.
    bool mayDeclareEntities = true;
};
DoctypeVerdict checkDoctype(std::span<const uint8_t> bytes);

}  // namespace corvane
