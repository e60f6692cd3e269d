#pragma once

#include <cstdint>
#include <span>

namespace corvane {

// A check made on a downloaded document before the XML component sees it: false when its DOCTYPE
// declares an external entity, a parameter entity, or an entity whose text refers to another entity
// (the nesting that lets a few hundred bytes expand to gigabytes), or when the DOCTYPE cannot be read.
// A DOCTYPE that only names an external DTD, and entities holding plain text or character
// references, pass. UTF-8, ASCII-compatible 8-bit encodings and UTF-16 (either byte order) are read.
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
