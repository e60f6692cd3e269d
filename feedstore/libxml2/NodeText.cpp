#include "feedstore/libxml2/NodeText.h"

#include "feedstore/libxml2/Libxml2Library.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "feedstore/FeedStoreError.h"

namespace corvane::xml::libxml2 {
namespace {

// Marks kept in a node's _private field, which libxml2 leaves to its users.
constexpr uintptr_t kSpaceAfter = 1;   // dropped whitespace followed the node
constexpr uintptr_t kSpaceInside = 2;  // dropped whitespace came before the node's first child

void remember(xmlNodePtr node, uintptr_t mark) {
    node->_private = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(node->_private) | mark);
}

bool marked(xmlNodePtr node, uintptr_t mark) {
    return (reinterpret_cast<uintptr_t>(node->_private) & mark) != 0;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool allSpace(const xmlChar* chars, int length) {
    return std::all_of(chars, chars + length, [](xmlChar c) { return isSpace(static_cast<char>(c)); });
}

bool preservesSpace(xmlNodePtr node) {
    return xmlNodeGetSpacePreserve(node) == 1;
}

// libxml2 refuses exponential entity expansion at load, but a document may still reference one large
// entity many times; the text those references stand for is bounded here instead.
constexpr size_t kEntityTextLimit = 10'000'000;
constexpr int kEntityDepthLimit = 40;

class EntityBudget {
  public:
    void spend(size_t bytes) {
        if (bytes > left_) throw FeedStoreError(kStatusFail, u"Entity references expand to too much text");
        left_ -= bytes;
    }

  private:
    size_t left_ = kEntityTextLimit;
};

void appendAllText(xmlNodePtr node, std::string& out, EntityBudget& budget, int depth);

// Appends what an entity reference stands for.
void appendEntityText(xmlNodePtr reference, std::string& out, EntityBudget& budget, int depth) {
    xmlEntityPtr entity = xmlGetDocEntity(reference->doc, reference->name);
    if (!entity) return;
    if (depth >= kEntityDepthLimit) throw FeedStoreError(kStatusFail, u"Entity references nest too deeply");
    appendAllText(reinterpret_cast<xmlNodePtr>(entity), out, budget, depth + 1);
}

// Appends all text below the node, entity contents included, as xmlNodeGetContent would.
void appendAllText(xmlNodePtr node, std::string& out, EntityBudget& budget, int depth) {
    for (xmlNodePtr child = node->children; child; child = child->next) {
        switch (child->type) {
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
                if (child->content) {
                    const size_t length = std::strlen(reinterpret_cast<const char*>(child->content));
                    if (depth > 0) budget.spend(length);
                    out.append(reinterpret_cast<const char*>(child->content), length);
                }
                break;
            case XML_ELEMENT_NODE:
                appendAllText(child, out, budget, depth);
                break;
            case XML_ENTITY_REF_NODE:
                appendEntityText(child, out, budget, depth);
                break;
            default:
                break;
        }
    }
}

void onCharacters(void* user, const xmlChar* chars, int length) {
    auto* context = static_cast<xmlParserCtxtPtr>(user);
    xmlNodePtr node = context->node;
    if (node && allSpace(chars, length) && !preservesSpace(node)) {
        xmlNodePtr last = node->last;
        // The parser hands over text in runs (each character reference is one); a blank run that
        // continues a text node belongs to it unless markup follows at once.
        const bool beforeMarkup = context->input && context->input->cur && *context->input->cur == '<';
        if (!last || beforeMarkup || last->type != XML_TEXT_NODE) {
            if (last)
                remember(last, kSpaceAfter);
            else if (node->type != XML_DOCUMENT_NODE)
                remember(node, kSpaceInside);
            return;
        }
    }
    xmlSAX2Characters(user, chars, length);
}

// Where CDATA sections lie in the gathered text: trimming never enters them.
struct Kept {
    size_t first = std::string::npos;
    size_t last = 0;
};

class Gatherer {
  public:
    explicit Gatherer(std::string& out) : out_(out) {}

    // Appends the text below the node; true when dropped whitespace trails it.
    bool appendChildren(xmlNodePtr node) {
        const size_t start = out_.size();
        bool space = marked(node, kSpaceInside);
        for (xmlNodePtr child = node->children; child; child = child->next) {
            switch (child->type) {
                case XML_ELEMENT_NODE: {
                    const bool separated = space && out_.size() > start;
                    if (separated) out_.push_back(' ');
                    const size_t contentStart = out_.size();
                    const bool trailing = appendChildren(child);
                    if (out_.size() > contentStart)
                        space = false;
                    else if (separated)
                        out_.pop_back();
                    space = space || trailing;
                    break;
                }
                case XML_TEXT_NODE:
                    if (child->content && *child->content) {
                        separate(space, start);
                        out_.append(reinterpret_cast<const char*>(child->content));
                    }
                    break;
                case XML_ENTITY_REF_NODE: {
                    std::string content;
                    appendEntityText(child, content, budget_, 0);
                    if (!content.empty()) {
                        separate(space, start);
                        out_.append(content);
                    }
                    break;
                }
                case XML_CDATA_SECTION_NODE:
                    // A CDATA section counts even when empty, and its whitespace is never trimmed.
                    separate(space, start);
                    kept_.first = std::min(kept_.first, out_.size());
                    if (child->content) out_.append(reinterpret_cast<const char*>(child->content));
                    kept_.last = std::max(kept_.last, out_.size());
                    break;
                default:
                    break;
            }
            if (marked(child, kSpaceAfter)) space = true;
        }
        return space;
    }

    void trim() {
        size_t end = out_.size();
        while (end > kept_.last && isSpace(out_[end - 1]))
            --end;
        out_.resize(end);
        const size_t limit = std::min(kept_.first, out_.size());
        size_t begin = 0;
        while (begin < limit && isSpace(out_[begin]))
            ++begin;
        out_.erase(0, begin);
    }

  private:
    void separate(bool& space, size_t start) {
        if (space && out_.size() > start) out_.push_back(' ');
        space = false;
    }

    std::string& out_;
    Kept kept_;
    EntityBudget budget_;
};

std::string_view trimmed(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && isSpace(text[end - 1]))
        --end;
    size_t begin = 0;
    while (begin < end && isSpace(text[begin]))
        ++begin;
    return text.substr(begin, end - begin);
}

}  // namespace

std::string contentText(xmlNodePtr node) {
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE ||
        node->type == XML_COMMENT_NODE || node->type == XML_PI_NODE)
        return node->content ? reinterpret_cast<const char*>(node->content) : "";
    std::string text;
    EntityBudget budget;
    if (node->type == XML_ENTITY_REF_NODE)
        appendEntityText(node, text, budget, 0);
    else
        appendAllText(node, text, budget, 0);
    return text;
}

void installWhitespaceRule(xmlParserCtxtPtr context) {
    // Both callbacks: libxml2 calls the second for runs it classifies as ignorable itself.
    context->sax->characters = onCharacters;
    context->sax->ignorableWhitespace = onCharacters;
}

std::string_view nodeText(xmlNodePtr node, std::string& buffer) {
    switch (node->type) {
        case XML_ELEMENT_NODE:
        case XML_DOCUMENT_NODE:
        case XML_DOCUMENT_FRAG_NODE: {
            xmlNodePtr only = node->children;
            // One text child: its content, trimmed; the whitespace marks cannot add a separator.
            if (node->type == XML_ELEMENT_NODE && only && !only->next && only->type == XML_TEXT_NODE) {
                std::string_view text = only->content ? reinterpret_cast<const char*>(only->content) : "";
                return preservesSpace(node) ? text : trimmed(text);
            }
            buffer.clear();
            Gatherer gatherer(buffer);
            gatherer.appendChildren(node);
            if (node->type != XML_ELEMENT_NODE || !preservesSpace(node)) gatherer.trim();
            return buffer;
        }
        case XML_TEXT_NODE: {
            buffer = contentText(node);
            if (!node->parent || !preservesSpace(node->parent)) return trimmed(buffer);
            return buffer;
        }
        default:
            buffer = contentText(node);
            return buffer;
    }
}

}  // namespace corvane::xml::libxml2
