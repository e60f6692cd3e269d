#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "feedstore/XmlStreamReader.h"

// The forward-only reader of XML as Corvane writes its own files: UTF-8 under its declaration,
// elements with attributes, text with the predefined and numeric character references. It reads them
// several times faster than the general reader and never holds more than a part of the file. At the
// first thing outside that shape (a DOCTYPE, a comment, CDATA, a processing instruction before the
// root's end (those after it are passed over), a namespace, a byte-order mark, a carriage return,
// malformed UTF-8, a name outside ASCII, a cut-off end, a file replaced while it was read) it raises
// NotPlainXml, and the caller reads the file again with openStreamReader. Whatever it reads without raising
// is well-formed, and its nodes are those the general reader gives for the same bytes.
//
// Feeds, as most servers write them, are read in a wider shape: namespaces, comments, CDATA and
// processing instructions, a byte-order mark, any declaration of UTF-8 or none, and line ends of
// every system but in CDATA (which libxml2 hands out unchanged there).
namespace corvane::xml {

struct NotPlainXml {};

enum class PlainXmlShape { OwnFile, Feed };

std::unique_ptr<StreamReader> openPlainXmlReader(std::u16string_view path);
// A reader of a document in memory, which must outlive the reader.
std::unique_ptr<StreamReader> openPlainXmlReader(std::string_view bytes,
                                                 PlainXmlShape shape = PlainXmlShape::OwnFile);

// The text of the element a plain reader stands on, its ends trimmed as the document model's text
// trims them, leaving the reader past the element's end. NotPlainXml when the element holds elements.
std::u16string plainElementText(StreamReader& reader);
// Moves a plain reader standing on an element's start, or just past one of its children, past the
// children that follow and are `<name>text</name>` with text of printable ASCII but `&`, `<` and
// `>`, giving each text to `take` as plainElementText would; read() goes on at the first other
// thing. Long lists of ids are read this way several times faster than node by node.
void takePlainTextChildren(StreamReader& reader, std::string_view name,
                           const std::function<void(std::u16string_view)>& take);
// Moves a plain reader past the end of the element it stands on.
void skipPlainElement(StreamReader& reader);

}  // namespace corvane::xml
