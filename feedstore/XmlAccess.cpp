#include "feedstore/XmlAccess.h"

#include "feedstore/DoctypeCheck.h"
#include "feedstore/FeedStoreError.h"
#include "platform/FileReplace.h"
#include "platform/Trace.h"
#include "platform/WideFormat.h"

namespace corvane::xml {

DocumentPtr createDocument() {
    return createDocumentObject();
}

// A failed load is a result, not a failed status: the trace carries S_FALSE, what the load returned.
DocumentPtr loadXmlText(std::u16string_view text) {
    DocumentPtr document = createDocument();
    if (!document->loadXml(text)) {
        const ParseError error = document->parseError();
        traceError(u"%s at load xml %s in line %d", kStatusFalse, error.reason, text, error.line);
    }
    return document;
}

DocumentPtr loadXmlFile(std::u16string_view path, bool validate, bool resolve) {
    DocumentPtr document = createDocument();
    document->setValidateOnParse(validate);
    document->setResolveExternals(resolve);
    if (!document->load(path))
        traceError(u"%s at load %s", kStatusFalse, document->parseError().reason, path);
    return document;
}

bool loadXmlStream(Document& document, std::span<const uint8_t> bytes, std::u16string_view sourceName) {
    // Bytes from outside never reach the component with entities it would expand without bound.
    if (!isDoctypeSafe(bytes)) {
        traceError(u"%s at load %s", kStatusFalse, u"entities that could expand without bound", sourceName);
        return false;
    }
    document.setValidateOnParse(true);
    document.setResolveExternals(false);
    if (document.loadBytes(bytes)) return true;
    traceError(u"%s at load %s", kStatusFalse, document.parseError().reason, sourceName);
    return false;
}

NodePtr selectNode(Node& node, std::u16string_view path) {
    return node.selectSingleNode(path);
}

NodePtr selectElement(Node& node, std::u16string_view path) {
    NodePtr found = node.selectSingleNode(path);
    return found && found->isElement() ? found : nullptr;
}

std::vector<NodePtr> selectNodes(Node& node, std::u16string_view path) {
    return node.selectNodes(path);
}

std::u16string nodeText(Node* node) {
    return node ? node->text() : std::u16string();
}

std::u16string getAttributeText(Node& element, std::u16string_view name, std::u16string_view defaultValue) {
    try {
        std::optional<std::u16string> value = element.getAttribute(name);
        return value ? *value : std::u16string(defaultValue);
    } catch (const FeedStoreError&) {
        return std::u16string(defaultValue);
    }
}

void setAttributeText(Node& element, std::u16string_view name, std::u16string_view value) {
    element.setAttribute(name, value);
}

void setAttributeInt(Node& element, std::u16string_view name, int32_t value) {
    element.setAttribute(name, formatWide(u"%d", value));
}

void appendTextElement(Document& document, Node& parent, std::u16string_view name,
                       std::u16string_view value) {
    NodePtr element = document.createElement(name);
    element->appendChild(document.createTextNode(value));
    parent.appendChild(element);
}

void appendIntElement(Document& document, Node& parent, std::u16string_view name, int32_t value) {
    appendTextElement(document, parent, name, formatWide(u"%d", value));
}

void saveXmlFile(Document& document, std::u16string_view path) {
    const std::string bytes = document.serialize();
    const FileReplaceResult result = replaceFileAtomically(path, bytes);
    if (!result) throw FeedStoreError(result.status, result.description);
}

}  // namespace corvane::xml
