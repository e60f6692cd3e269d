#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace corvane {

// How the markup of a document's bytes is spelled, found as XML parsers find it (the byte-order mark,
// or the first four bytes of "<?xml"), so that a look at its markup sees what the parser will see.
enum class MarkupEncoding {
    Bytes,  // ASCII markup byte for byte: UTF-8 and the ASCII-compatible 8-bit encodings
    Utf16LE,
    Utf16BE,
    Ucs4LE,
    Ucs4BE,
    Unreadable,  // EBCDIC, the unusual UCS-4 byte orders, or a declared encoding that may hide markup
};

MarkupEncoding detectMarkupEncoding(std::span<const uint8_t> bytes);

// The document narrowed to one char a character: ASCII as it is, every other character as '\x80',
// which means nothing in markup. Nothing for Bytes (read those in place) and Unreadable.
std::optional<std::string> narrowMarkup(std::span<const uint8_t> bytes, MarkupEncoding encoding);

}  // namespace corvane
