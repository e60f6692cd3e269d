#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A forward-only reader of an XML file, one node at a time and without a tree: XmlLite on Windows
// (loaded at run time), libxml2's text reader natively. The item store is read through it; the
// document model stays for everything else and is what its results are held to. DTDs and external
// entities are never read: a DOCTYPE is reported, not processed.
namespace corvane::xml {

enum class StreamNode {
    Element,  // a start tag or an empty element (isEmptyElement tells)
    EndElement,
    Text,         // character data, whitespace-only runs included; character and built-in references expanded
    CData,        // a CDATA section's content
    Other,        // comment, processing instruction, XML declaration
    Unsupported,  // a DOCTYPE or an entity reference: what this reader does not expand
    End,
};

class StreamReader {
  public:
    virtual ~StreamReader() = default;

    // The next node in document order; End after the last. Raises FeedStoreError when the file is
    // not well-formed XML or cannot be read.
    virtual StreamNode read() = 0;
    // Whether the current element's qualified name ("prefix:local", or "local") is `name` (ASCII).
    virtual bool isNamed(std::string_view name) = 0;
    virtual bool isEmptyElement() = 0;
    // Appends the value of the current Text or CData node.
    virtual void appendValue(std::u16string& out) = 0;
    // The value of the current element's attribute of that qualified name (ASCII), or null.
    virtual std::optional<std::u16string> attribute(std::string_view name) = 0;
};

// A reader positioned before the file's first node, or null when the file cannot be opened or this
// build's reader cannot be had.
std::unique_ptr<StreamReader> openStreamReader(std::u16string_view path);

}  // namespace corvane::xml
