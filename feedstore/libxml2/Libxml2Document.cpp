// The XML document model over libxml2, answering as MSXML does (see NodeText.h for "text").
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "feedstore/libxml2/Libxml2Library.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "feedstore/FeedStoreError.h"
#include "feedstore/XmlDocument.h"
#include "feedstore/libxml2/NodeText.h"
#include "platform/Utf.h"

namespace corvane::xml {
namespace {

constexpr Status kStatusNoInterface = static_cast<Status>(0x80004002u);  // E_NOINTERFACE, as MSXML answers

// Never NOENT, DTDLOAD, DTDVALID or DTDATTR: each makes libxml2 read external entities or DTDs.
// Never HUGE: it lifts the limits on entity expansion.
constexpr int kParseOptions = XML_PARSE_NONET;

const xmlChar* xmlText(const std::string& text) {
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

std::u16string textOf(const xmlChar* text) {
    return text ? fromUtf8(reinterpret_cast<const char*>(text)) : std::u16string();
}

[[noreturn]] void outOfMemory() {
    throw FeedStoreError(kStatusOutOfMemory, u"Out of memory");
}

// One parsed or built tree. Every node handed out holds it, so a reload of the document never leaves
// a node dangling; nodes that were made but never appended are freed with it.
class Tree {
  public:
    explicit Tree(xmlDocPtr doc) : doc_(doc) {}
    Tree(xmlDocPtr doc, std::optional<std::string> declaration)
        : doc_(doc), declaration_(std::move(declaration)) {}
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;
    ~Tree() {
        std::vector<xmlNodePtr> loose;
        for (xmlNodePtr node : made_)
            if (!node->parent) loose.push_back(node);
        for (xmlNodePtr node : loose)
            xmlFreeNode(node);
        xmlFreeDoc(doc_);
    }

    static std::shared_ptr<Tree> empty() {
        xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
        if (!doc) outOfMemory();
        return std::make_shared<Tree>(doc);
    }

    xmlDocPtr doc() const { return doc_; }
    xmlNodePtr root() const { return reinterpret_cast<xmlNodePtr>(doc_); }
    // The XML declaration the loaded text had, written back as it was; none for a document without.
    const std::optional<std::string>& declaration() const { return declaration_; }

    // `bytes` is about what the node adds to the saved text.
    xmlNodePtr adopt(xmlNodePtr node, size_t bytes) {
        if (!node) outOfMemory();
        made_.push_back(node);
        textSize_ += bytes;
        return node;
    }

    // About how long the saved text will be: what a load read plus what was made since. A save
    // reserves this much (and some room for escapes) rather than growing a large text by copying.
    size_t textSize() const { return textSize_; }
    void addTextSize(size_t bytes) { textSize_ += bytes; }

  private:
    xmlDocPtr doc_;
    std::optional<std::string> declaration_;
    std::vector<xmlNodePtr> made_;
    size_t textSize_ = 0;
};

// A path of child steps ("name", "./name", "a/b"): each step one element name, matched as MSXML
// matches, on the qualified name as written. Gives the steps in UTF-8 joined by "/" (without a
// leading "./"), or null for any other path. Item reading asks for several children of every item,
// so a path is converted once and split while walking, without a list of steps.
std::optional<std::string> childSteps(std::u16string_view path) {
    if (path.starts_with(u"./")) path.remove_prefix(2);
    size_t begin = 0;
    while (true) {
        size_t end = std::min(path.find(u'/', begin), path.size());
        std::u16string_view step = path.substr(begin, end - begin);
        if (step.empty()) return std::nullopt;
        const char16_t first = step.front();
        if (first == u'-' || first == u'.' || (first >= u'0' && first <= u'9')) return std::nullopt;
        for (char16_t c : step) {
            const bool nameChar = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                                  (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u'.' ||
                                  c == u':' || c >= 0x80;
            if (!nameChar) return std::nullopt;
        }
        if (end == path.size()) break;
        begin = end + 1;
    }
    // No UTF-8 sequence holds the byte of "/", so the steps split the same after the conversion.
    return toUtf8(path);
}

// Compares the qualified name ("prefix:local", or "local") of an element or attribute.
bool hasQualifiedName(const xmlChar* name, xmlNsPtr ns, std::string_view wanted) {
    std::string_view local(reinterpret_cast<const char*>(name));
    if (ns && ns->prefix) {
        std::string_view prefix(reinterpret_cast<const char*>(ns->prefix));
        return wanted.size() == prefix.size() + 1 + local.size() && wanted.starts_with(prefix) &&
               wanted[prefix.size()] == ':' && wanted.substr(prefix.size() + 1) == local;
    }
    return wanted == local;
}

// Hands each element the steps select below the node to `take`, in document order, until `take`
// answers true; true when it did.
template <class Take>
bool walkSteps(xmlNodePtr node, std::string_view steps, const Take& take) {
    const size_t slash = steps.find('/');
    const std::string_view step = steps.substr(0, slash);
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE || !hasQualifiedName(child->name, child->ns, step)) continue;
        if (slash != std::string_view::npos ? walkSteps(child, steps.substr(slash + 1), take) : take(child))
            return true;
    }
    return false;
}

void ignoreXPathError(void*, xmlErrorPtr) {}

std::vector<xmlNodePtr> evaluateXPath(xmlDocPtr doc, xmlNodePtr from, std::u16string_view path) {
    std::unique_ptr<xmlXPathContext, void (*)(xmlXPathContextPtr)> context(xmlXPathNewContext(doc),
                                                                           xmlXPathFreeContext);
    if (!context) outOfMemory();
    context->node = from;
    context->error = ignoreXPathError;
    // The prefixes declared where the search starts, so a step such as "dc:creator" resolves.
    xmlNodePtr scope = from->type == XML_DOCUMENT_NODE ? xmlDocGetRootElement(doc) : from;
    if (scope && scope->type == XML_ELEMENT_NODE) {
        if (xmlNsPtr* list = xmlGetNsList(doc, scope)) {
            for (xmlNsPtr* ns = list; *ns; ++ns)
                if ((*ns)->prefix) xmlXPathRegisterNs(context.get(), (*ns)->prefix, (*ns)->href);
            xmlFree(list);
        }
    }
    const std::string expression = toUtf8(path);
    std::unique_ptr<xmlXPathObject, void (*)(xmlXPathObjectPtr)> result(
        xmlXPathEvalExpression(xmlText(expression), context.get()), xmlXPathFreeObject);
    if (!result || result->type != XPATH_NODESET)
        throw FeedStoreError(kStatusFail, u"The path is not a node selection: " + std::u16string(path));
    std::vector<xmlNodePtr> found;
    if (xmlNodeSetPtr set = result->nodesetval) {
        for (int i = 0; i < set->nodeNr; ++i)
            if (set->nodeTab[i]->type != XML_NAMESPACE_DECL) found.push_back(set->nodeTab[i]);
    }
    return found;
}

std::vector<xmlNodePtr> selectAll(xmlDocPtr doc, xmlNodePtr from, std::u16string_view path) {
    if (auto steps = childSteps(path)) {
        std::vector<xmlNodePtr> found;
        walkSteps(from, *steps, [&found](xmlNodePtr node) {
            found.push_back(node);
            return false;
        });
        return found;
    }
    return evaluateXPath(doc, from, path);
}

// Null when nothing matches. Reading an item asks for each of its fields this way.
xmlNodePtr selectFirst(xmlDocPtr doc, xmlNodePtr from, std::u16string_view path) {
    if (auto steps = childSteps(path)) {
        xmlNodePtr found = nullptr;
        walkSteps(from, *steps, [&found](xmlNodePtr node) {
            found = node;
            return true;
        });
        return found;
    }
    std::vector<xmlNodePtr> found = evaluateXPath(doc, from, path);
    return found.empty() ? nullptr : found.front();
}

// Wine's msxml3 makes an element of any name but the empty one, and writes a file that cannot be read
// back; MSXML on Windows refuses what is no XML name, and so do we.
std::string validName(std::u16string_view name) {
    std::string text = toUtf8(name);
    if (xmlValidateName(xmlText(text), 0) != 0)
        throw FeedStoreError(kStatusFail, u"Invalid name: " + std::u16string(name));
    return text;
}

class Libxml2Handle {
  public:
    virtual xmlNodePtr libxmlNode() const = 0;
    virtual const std::shared_ptr<Tree>& tree() const = 0;

  protected:
    ~Libxml2Handle() = default;
};

NodePtr wrap(const std::shared_ptr<Tree>& tree, xmlNodePtr node);

// The node operations, shared by plain nodes and the document.
template <class Base>
class NodeOps : public Base, public Libxml2Handle {
  public:
    NodePtr selectSingleNode(std::u16string_view path) override {
        xmlNodePtr found = selectFirst(tree()->doc(), libxmlNode(), path);
        return found ? wrap(tree(), found) : nullptr;
    }

    std::vector<NodePtr> selectNodes(std::u16string_view path) override {
        std::vector<xmlNodePtr> found = selectAll(tree()->doc(), libxmlNode(), path);
        std::vector<NodePtr> nodes;
        nodes.reserve(found.size());
        for (xmlNodePtr node : found)
            nodes.push_back(wrap(tree(), node));
        return nodes;
    }

    std::u16string text() override {
        std::string buffer;
        return fromUtf8(libxml2::nodeText(libxmlNode(), buffer));
    }

    bool isElement() const override { return libxmlNode()->type == XML_ELEMENT_NODE; }

    std::optional<std::u16string> getAttribute(std::u16string_view name) override {
        xmlNodePtr node = element();
        const std::string wanted = toUtf8(name);
        for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
            if (!hasQualifiedName(attribute->name, attribute->ns, wanted)) continue;
            return fromUtf8(libxml2::contentText(reinterpret_cast<xmlNodePtr>(attribute)));
        }
        // A default that the document's own DTD declares counts, as it does in MSXML.
        if (node->doc && node->doc->intSubset) {
            std::string elementName = reinterpret_cast<const char*>(node->name);
            if (node->ns && node->ns->prefix)
                elementName = reinterpret_cast<const char*>(node->ns->prefix) + (":" + elementName);
            xmlAttributePtr declared =
                xmlGetDtdAttrDesc(node->doc->intSubset, xmlText(elementName), xmlText(wanted));
            if (declared && declared->defaultValue) return textOf(declared->defaultValue);
        }
        return std::nullopt;
    }

    void setAttribute(std::u16string_view name, std::u16string_view value) override {
        xmlNodePtr node = element();
        const std::string text = toUtf8(value);
        const std::string attribute = validName(name);
        if (!xmlSetProp(node, xmlText(attribute), xmlText(text))) outOfMemory();
        tree()->addTextSize(attribute.size() + text.size() + 4);
    }

    void appendChild(const NodePtr& child) override {
        auto* handle = dynamic_cast<const Libxml2Handle*>(child.get());
        if (!handle || handle->tree() != tree())
            throw FeedStoreError(kStatusInvalidArgument, u"The child is no node of this document");
        xmlNodePtr parent = libxmlNode();
        xmlNodePtr node = handle->libxmlNode();
        if (parent->type != XML_ELEMENT_NODE && parent->type != XML_DOCUMENT_NODE)
            throw FeedStoreError(kStatusFail, u"This node cannot have children");
        if (node->type == XML_DOCUMENT_NODE || node->type == XML_ATTRIBUTE_NODE)
            throw FeedStoreError(kStatusFail, u"This node cannot be appended");
        if (parent->type == XML_DOCUMENT_NODE) {
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
                throw FeedStoreError(kStatusFail, u"Text cannot stand at the top of a document");
            xmlNodePtr root = xmlDocGetRootElement(tree()->doc());
            if (node->type == XML_ELEMENT_NODE && root && root != node)
                throw FeedStoreError(kStatusFail, u"Only one top level element is allowed in a document");
        }
        for (xmlNodePtr above = parent; above; above = above->parent)
            if (above == node) throw FeedStoreError(kStatusFail, u"A node cannot be appended below itself");
        // Linked by hand: xmlAddChild would merge adjacent text nodes and free the one handed out.
        xmlUnlinkNode(node);
        node->parent = parent;
        node->prev = parent->last;
        node->next = nullptr;
        if (parent->last)
            parent->last->next = node;
        else
            parent->children = node;
        parent->last = node;
    }

  private:
    xmlNodePtr element() const {
        xmlNodePtr node = libxmlNode();
        if (node->type != XML_ELEMENT_NODE)
            throw FeedStoreError(kStatusNoInterface, u"The node is no element");
        return node;
    }
};

class Libxml2Node final : public NodeOps<Node> {
  public:
    Libxml2Node(std::shared_ptr<Tree> tree, xmlNodePtr node) : tree_(std::move(tree)), node_(node) {}
    xmlNodePtr libxmlNode() const override { return node_; }
    const std::shared_ptr<Tree>& tree() const override { return tree_; }

  private:
    std::shared_ptr<Tree> tree_;
    xmlNodePtr node_;
};

NodePtr wrap(const std::shared_ptr<Tree>& tree, xmlNodePtr node) {
    return std::make_shared<Libxml2Node>(tree, node);
}

// The first error of a parse, fatal ones first: later ones are often its echoes.
struct ErrorRecord {
    ParseError error;
    bool fatal = false;
    bool any = false;
};

void recordError(void* user, xmlErrorPtr error) {
    auto* context = static_cast<xmlParserCtxtPtr>(user);
    auto* record = static_cast<ErrorRecord*>(context->_private);
    if (!record || !error || error->level < XML_ERR_ERROR) return;
    const bool fatal = error->level == XML_ERR_FATAL;
    if (record->any && (record->fatal || !fatal)) return;
    try {
        std::u16string reason = textOf(reinterpret_cast<const xmlChar*>(error->message));
        while (!reason.empty() && (reason.back() == u'\n' || reason.back() == u'\r' || reason.back() == u' '))
            reason.pop_back();
        std::replace(reason.begin(), reason.end(), u'\n', u' ');
        record->error = ParseError{std::move(reason), error->line};
        record->fatal = fatal;
        record->any = true;
    } catch (...) {
        // Out of memory while noting a reason: the load still fails, with a reason less.
    }
}

xmlParserInputPtr refuseExternal(void*, const xmlChar*, const xmlChar*) {
    return nullptr;
}

// The encoding name an XML declaration at the start of the text gives, kept for saving: loadXml
// parses the text as the UTF-8 it is, whatever the declaration claims.
std::optional<std::string> declaredEncoding(std::string_view text) {
    if (!text.starts_with("<?xml")) return std::nullopt;
    std::string_view declaration = text.substr(0, text.find("?>"));
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return std::nullopt;
    at += 8;
    auto skipSpace = [&] {
        while (at < declaration.size() && strchr(" \t\r\n", declaration[at]))
            ++at;
    };
    skipSpace();
    if (at >= declaration.size() || declaration[at] != '=') return std::nullopt;
    ++at;
    skipSpace();
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return std::nullopt;
    size_t close = declaration.find(declaration[at], at + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return std::string(declaration.substr(at + 1, close - at - 1));
}

bool isUtf8Name(const std::string& name) {
    return xmlStrcasecmp(xmlText(name), BAD_CAST "UTF-8") == 0 ||
           xmlStrcasecmp(xmlText(name), BAD_CAST "UTF8") == 0;
}

// The declaration as the loaded text had it. The bytes written are UTF-8 whatever the text was, so
// another encoding's name becomes "utf-8" (Wine's msxml3 keeps the name and mislabels the file).
std::optional<std::string> declarationOf(xmlDocPtr doc, std::optional<std::string> encoding) {
    if (doc->standalone == -1) return std::nullopt;  // the text had no declaration
    if (encoding && !isUtf8Name(*encoding)) encoding = "utf-8";
    std::string declaration = "<?xml version=\"";
    declaration += doc->version ? reinterpret_cast<const char*>(doc->version) : "1.0";
    declaration += "\"";
    if (encoding) declaration += " encoding=\"" + *encoding + "\"";
    if (doc->standalone == 1) declaration += " standalone=\"yes\"";
    if (doc->standalone == 0) declaration += " standalone=\"no\"";
    return declaration + "?>";
}

int appendOutput(void* context, const char* bytes, int length) {
    try {
        static_cast<std::string*>(context)->append(bytes, static_cast<size_t>(length));
        return length;
    } catch (...) {
        return -1;
    }
}

std::u16string systemReason(int error) {
    return fromUtf8(std::strerror(error));
}

class Libxml2Document final : public NodeOps<Document> {
  public:
    Libxml2Document() : tree_(Tree::empty()) {}

    xmlNodePtr libxmlNode() const override { return tree_->root(); }
    const std::shared_ptr<Tree>& tree() const override { return tree_; }

    // Validation is not done and nothing external is ever resolved, whatever is asked: Wine's MSXML,
    // our reference, validates nothing either, and an external DTD is never read.
    void setValidateOnParse(bool) override {}
    void setResolveExternals(bool) override {}

    bool loadXml(std::u16string_view text) override {
        std::optional<std::string> encoding;
        return parse(
            [&](xmlParserCtxtPtr context) -> xmlDocPtr {
                const std::string bytes = toUtf8(text);
                if (bytes.size() > static_cast<size_t>(INT_MAX)) return nullptr;
                encoding = declaredEncoding(bytes);
                return xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                         "UTF-8", kParseOptions | XML_PARSE_IGNORE_ENC);
            },
            text.size(), &encoding);
    }

    bool load(std::u16string_view path) override {
        const std::string name = toUtf8(path);
        // Opened here, not by libxml2, so that a path is only ever a file name: never a URL, never
        // unescaped.
        int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return fail({systemReason(errno), 0});
        struct stat status {};
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            const int error = errno;
            ::close(fd);
            return fail({S_ISDIR(status.st_mode) ? u"The path names a folder" : systemReason(error), 0});
        }
        bool loaded = parse(
            [&](xmlParserCtxtPtr context) {
                return xmlCtxtReadFd(context, fd, name.c_str(), nullptr, kParseOptions);
            },
            static_cast<size_t>(status.st_size));
        ::close(fd);
        return loaded;
    }

    bool loadBytes(std::span<const uint8_t> bytes) override {
        static const char kNothing = 0;
        if (bytes.size() > static_cast<size_t>(INT_MAX)) return fail({u"The document is too large", 0});
        return parse(
            [&](xmlParserCtxtPtr context) {
                const char* data = bytes.empty() ? &kNothing : reinterpret_cast<const char*>(bytes.data());
                return xmlCtxtReadMemory(context, data, static_cast<int>(bytes.size()), nullptr, nullptr,
                                         kParseOptions);
            },
            bytes.size());
    }

    ParseError parseError() override { return parseError_; }

    NodePtr createElement(std::u16string_view name) override {
        const std::string text = validName(name);
        return wrap(tree_, tree_->adopt(xmlNewDocNode(tree_->doc(), nullptr, xmlText(text), nullptr),
                                        2 * text.size() + 5));
    }

    NodePtr createTextNode(std::u16string_view text) override {
        // Line ends become line feeds, as MSXML stores them; most texts have none to change.
        std::string content = toUtf8(text);
        if (content.find('\r') != std::string::npos) {
            size_t kept = 0;
            for (size_t i = 0; i < content.size(); ++i) {
                if (content[i] != '\r')
                    content[kept++] = content[i];
                else if (i + 1 >= content.size() || content[i + 1] != '\n')
                    content[kept++] = '\n';
            }
            content.resize(kept);
        }
        return wrap(tree_, tree_->adopt(xmlNewDocTextLen(tree_->doc(), xmlText(content),
                                                         static_cast<int>(content.size())),
                                        content.size()));
    }

    std::string serialize() override {
        std::string bytes;
        // Room for the whole text, escapes included, so that a large store is written into place;
        // what is reserved and never written is never touched either.
        bytes.reserve(tree_->textSize() + tree_->textSize() / 4 + 256);
        if (tree_->declaration()) bytes.append(*tree_->declaration()).append("\n");
        xmlSaveCtxtPtr save = xmlSaveToIO(appendOutput, nullptr, &bytes, "UTF-8", XML_SAVE_NO_DECL);
        if (!save) outOfMemory();
        const long written = xmlSaveDoc(save, tree_->doc());
        const int closed = xmlSaveClose(save);
        if (written < 0 || closed < 0)
            throw FeedStoreError(kStatusFail, u"The document could not be written");
        return bytes;
    }

  private:
    bool fail(ParseError error) {
        tree_ = Tree::empty();
        parseError_ = std::move(error);
        return false;
    }

    template <class Read>
    bool parse(Read read, size_t sourceSize, const std::optional<std::string>* declared = nullptr) {
        std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> context(xmlNewParserCtxt(),
                                                                           xmlFreeParserCtxt);
        if (!context) outOfMemory();
        ErrorRecord record;
        context->_private = &record;
        context->sax->serror = recordError;
        context->sax->resolveEntity = refuseExternal;
        libxml2::installWhitespaceRule(context.get());

        xmlDocPtr doc = read(context.get());
        const bool wellFormed = doc && context->wellFormed;
        context.reset();
        if (!wellFormed) {
            xmlFreeDoc(doc);
            return fail(record.any ? std::move(record.error) : ParseError{u"The document is empty", 0});
        }
        std::optional<std::string> encoding;
        if (declared)
            encoding = *declared;
        else if (doc->encoding)
            encoding = reinterpret_cast<const char*>(doc->encoding);
        tree_ = std::make_shared<Tree>(doc, declarationOf(doc, encoding));
        tree_->addTextSize(sourceSize);
        parseError_ = ParseError{};
        return true;
    }

    std::shared_ptr<Tree> tree_;
    ParseError parseError_;
};

}  // namespace

DocumentPtr createDocumentObject() {
    return std::make_shared<Libxml2Document>();
}

}  // namespace corvane::xml
