#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The XML document model the feed store reads and writes through. One implementation per build:
// libxml2 natively, MSXML ("Msxml2.DOMDocument") on Windows. Both must give the same answers; MSXML's
// are the reference. Every failed status of the component is raised as FeedStoreError.
namespace corvane::xml {

class Node;
class Document;
using NodePtr = std::shared_ptr<Node>;
using DocumentPtr = std::shared_ptr<Document>;

class Node {
  public:
    virtual ~Node() = default;

    // The first node the path selects below this one, or null. Paths are those of the stores and
    // feeds: "name", "./name", "a/b".
    virtual NodePtr selectSingleNode(std::u16string_view path) = 0;
    // Every node the path selects, in document order (empty when nothing matches).
    virtual std::vector<NodePtr> selectNodes(std::u16string_view path) = 0;
    // The node's text as MSXML's "text" property gives it.
    virtual std::u16string text() = 0;
    virtual bool isElement() const = 0;

    // Element operations; on a node that is no element they raise.
    // The attribute's value, or null when the element has no such attribute.
    virtual std::optional<std::u16string> getAttribute(std::u16string_view name) = 0;
    virtual void setAttribute(std::u16string_view name, std::u16string_view value) = 0;
    virtual void appendChild(const NodePtr& child) = 0;
};

struct ParseError {
    std::u16string reason;
    int32_t line = 0;
};

class Document : public Node {
  public:
    virtual void setValidateOnParse(bool validate) = 0;
    virtual void setResolveExternals(bool resolve) = 0;

    // Each load replaces the document's content; on false the document is empty and parseError()
    // tells why. External DTDs and entities are never fetched or read, whatever the settings.
    virtual bool loadXml(std::u16string_view text) = 0;
    virtual bool load(std::u16string_view path) = 0;
    virtual bool loadBytes(std::span<const uint8_t> bytes) = 0;
    virtual ParseError parseError() = 0;

    virtual NodePtr createElement(std::u16string_view name) = 0;
    virtual NodePtr createTextNode(std::u16string_view text) = 0;

    // The bytes `save` would write: UTF-8 with the document's declaration, no byte-order mark.
    virtual std::string serialize() = 0;
};

// A new, empty document of this build's component; raises when the component cannot be made.
DocumentPtr createDocumentObject();

}  // namespace corvane::xml
