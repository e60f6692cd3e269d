#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
    // The same into `value`, whose room a reader may use again; false (`value` as it was) when the
    // element has no such attribute.
    virtual bool readAttribute(std::string_view name, std::u16string& value) {
        std::optional<std::u16string> found = attribute(name);
        if (found) value = std::move(*found);
        return found.has_value();
    }

    // Names by namespace, for documents whose prefixes are the author's choice. `uri` is the
    // namespace URI ("" for none), compared as written, never through a prefix.
    virtual bool isNamedNs(std::string_view localName, std::string_view uri) = 0;
    virtual std::u16string localName() = 0;
    // The value of the current element's attribute of that local name and namespace URI, or null.
    virtual std::optional<std::u16string> attributeNs(std::string_view localName, std::string_view uri) = 0;
    struct Attribute {
        std::u16string localName;
        std::u16string namespaceUri;
        std::u16string value;
    };
    // The current element's attributes in document order, namespace declarations left out.
    virtual std::vector<Attribute> attributes() = 0;
    // False when this build's reader may have read the document more leniently than the document
    // model would (malformed bytes, a cut-off end): the caller then has the bytes checked by the
    // document model before it trusts what was read.
    virtual bool vouchesForWellFormedness() { return true; }
};

// A reader positioned before the file's first node, or null when the file cannot be opened or this
// build's reader cannot be had.
std::unique_ptr<StreamReader> openStreamReader(std::u16string_view path);
// A reader of a document in memory, which must outlive the reader. Where the file reader would
// answer Unsupported for what only the Windows reader misreads (CDATA, comments, other encodings),
// this one reads on and answers vouchesForWellFormedness() false instead.
std::unique_ptr<StreamReader> openStreamReader(std::span<const uint8_t> bytes);

// Moves the reader past the end of the element it stands on. False when it met a node this build's
// reader cannot hand out (the caller falls back to the document model); a document that ends inside
// the element raises FeedStoreError with `endedInside`.
bool skipElement(StreamReader& reader, std::u16string_view endedInside);

}  // namespace corvane::xml
