#include "feedstore/PlainXmlReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "feedstore/PlainXmlCharacters.h"
#include "feedstore/XmlSpace.h"
#include "platform/FolderLock.h"
#include "platform/Utf.h"

namespace corvane::xml {
namespace {

// A few items at once: little beside the items read from it.
constexpr size_t kChunk = 128 * 1024;
constexpr size_t kMaxDepth = 64;
// Far below the limits libxml2 holds text, attribute values and names to, so that what this reader
// takes the general reader takes too.
constexpr size_t kMaxText = 4 * 1024 * 1024;
constexpr size_t kMaxName = 1000;

constexpr std::string_view kDeclarations[] = {"<?xml version=\"1.0\" encoding=\"utf-8\"?>",
                                              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"};
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

// Printable ASCII but `&`, `<` and `>`: text that is what it reads as, character for character.
constexpr auto kSimpleText = [] {
    std::array<bool, 256> simple{};
    for (int c = '!'; c < 0x7F; ++c)
        simple[c] = c != '&' && c != '<' && c != '>';
    return simple;
}();

[[noreturn]] void notPlain() {
    throw NotPlainXml();
}

// The scan of a token ran into the end of what is in memory: more is read and the token scanned again.
struct Incomplete {};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
    return std::equal(text.begin(), text.end(), lower.begin(), lower.end(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + ('a' - 'A') : a) == b; });
}

// A namespace name written plainly: an absolute URI of printable ASCII without references, the
// shape libxml2 takes without a word.
bool isPlainNamespaceName(std::string_view uri) {
    size_t colon = 0;
    while (colon < uri.size() &&
           (std::isalnum(static_cast<unsigned char>(uri[colon])) ||
            (colon > 0 && (uri[colon] == '+' || uri[colon] == '-' || uri[colon] == '.'))))
        ++colon;
    if (colon == 0 || colon == uri.size() || uri[colon] != ':' ||
        !std::isalpha(static_cast<unsigned char>(uri[0])))
        return false;
    return std::all_of(uri.begin(), uri.end(), [](char c) {
        return c > ' ' && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'' &&
               c != '\\' && c != '^' && c != '`' && c != '{' && c != '|' && c != '}';
    });
}

// Where the bytes come from: the whole document at once, or a file read a part at a time.
class Source {
  public:
    virtual ~Source() = default;
    // Appends the next part to `buffer`; false at the end.
    virtual bool more(std::string& buffer) = 0;
};

class FileSource final : public Source {
  public:
    explicit FileSource(std::u16string_view path) : path_(path), stamp_(stampOf(path)) {}
    bool opened() const { return stamp_.exists; }

    bool more(std::string& buffer) override {
        if (offset_ >= stamp_.size) {
            // Parts of two versions of the file must never be read as one.
            if (stampOf(path_) != stamp_) notPlain();
            return false;
        }
        const size_t wanted = std::max(kChunk, buffer.size());
        if (!readFilePart(path_, offset_, wanted, part_) || part_.empty()) notPlain();
        offset_ += part_.size();
        buffer += part_;
        return true;
    }

  private:
    std::u16string path_;
    FileStamp stamp_;
    uint64_t offset_ = 0;
    std::string part_;
};

class PlainXmlReader final : public StreamReader {
  public:
    // A file read a part at a time.
    explicit PlainXmlReader(std::unique_ptr<Source> source) : source_(std::move(source)) {}
    // A document in memory, read where it lies.
    PlainXmlReader(std::string_view bytes, PlainXmlShape shape)
        : feeds_(shape == PlainXmlShape::Feed), ended_(true), input_(bytes) {}

    StreamNode read() override {
        if (emptyScope_ != kNoScope) {
            bindings_.resize(emptyScope_);
            emptyScope_ = kNoScope;
        }
        bool atEnd = false;
        while (true) {
            try {
                if (pos_ == input_.size() && !fill()) {
                    if (phase_ != Phase::AfterRoot) notPlain();  // no root, or cut off inside it
                    return StreamNode::End;
                }
                const std::optional<StreamNode> node = scan();
                if (node) return *node;
            } catch (const Incomplete&) {
                // Once at the end, a token still incomplete is a cut-off file.
                if (!fill()) {
                    if (atEnd) notPlain();
                    atEnd = true;
                }
            }
        }
    }

    bool isNamed(std::string_view name) override { return current() == name; }
    bool isEmptyElement() override { return empty_; }

    void appendValue(std::u16string& out) override {
        if (node_ == StreamNode::Text) decodeCharacters(view(text_), textUnits_, CharacterData::Text, out);
        if (node_ == StreamNode::CData)
            for (const CDataPiece& piece : cdata_)
                decodeCharacters(view(piece.span), piece.units, CharacterData::Literal, out);
    }

    std::optional<std::u16string> attribute(std::string_view name) override {
        std::u16string value;
        if (!readAttribute(name, value)) return std::nullopt;
        return value;
    }

    bool readAttribute(std::string_view name, std::u16string& value) override {
        for (const AttributeSpan& attribute : elementAttributes())
            if (view(attribute.name) == name) {
                value.clear();
                decodeValue(attribute, value);
                return true;
            }
        return false;
    }

    bool isNamedNs(std::string_view localName, std::string_view uri) override {
        // The local name first: it tells most names apart at its first letter, a namespace URI
        // only after its common start.
        return node_ == StreamNode::Element && localOf(name_, nameColon_) == localName && uri == elementUri_;
    }
    std::u16string localName() override {
        return node_ == StreamNode::Element ? fromUtf8(localOf(name_, nameColon_)) : std::u16string();
    }
    std::optional<std::u16string> attributeNs(std::string_view localName, std::string_view uri) override {
        for (const AttributeSpan& attribute : elementAttributes())
            if (attribute.uri == uri && localOf(attribute.name, attribute.colon) == localName)
                return valueOf(attribute);
        return std::nullopt;
    }
    std::vector<Attribute> attributes() override {
        std::vector<Attribute> all;
        for (const AttributeSpan& attribute : elementAttributes())
            all.push_back({fromUtf8(localOf(attribute.name, attribute.colon)), fromUtf8(attribute.uri),
                           valueOf(attribute)});
        return all;
    }

    // Past the children at pos_ (the reader stands on their parent's start or past a child) that
    // are `<name>text</name>` with simple text (kSimpleText: ids and the like), with white space
    // between them, giving each text to `take`: the nodes read() would give, without the work of
    // each. What is not of that shape, and a child not whole in memory, are left to read().
    void takeTextChildren(std::string_view name, const std::function<void(std::u16string_view)>& take) {
        if (node_ == StreamNode::Element && empty_) return;  // no children: pos_ is past its end
        // Names in a namespace are compared through it, which this shortcut does not do.
        if (!bindings_.empty()) return;
        const std::string_view buffer = input_;
        for (size_t i = pos_;;) {
            while (i < buffer.size() && isSpace(buffer[i]))
                ++i;
            const size_t textStart = i + name.size() + 2;
            if (textStart >= buffer.size() || buffer[i] != '<' || buffer.substr(i + 1, name.size()) != name ||
                buffer[textStart - 1] != '>')
                return;
            size_t textEnd = textStart;
            while (textEnd < buffer.size() && kSimpleText[static_cast<unsigned char>(buffer[textEnd])])
                ++textEnd;
            const size_t end = textEnd + name.size() + 3;
            if (end > buffer.size() || buffer.substr(textEnd, 2) != "</" ||
                buffer.substr(textEnd + 2, name.size()) != name || buffer[end - 1] != '>')
                return;
            const std::string_view text = buffer.substr(textStart, textEnd - textStart);
            wide_.resize(text.size());
            std::copy(text.begin(), text.end(), wide_.begin());
            take(wide_);
            pos_ = i = end;
            node_ = StreamNode::EndElement;
            empty_ = false;
        }
    }

  private:
    enum class Phase { Start, Prolog, InRoot, AfterRoot };
    static constexpr size_t kNoScope = static_cast<size_t>(-1);
    static constexpr size_t kNoColon = static_cast<size_t>(-1);
    struct Span {
        size_t at = 0;
        size_t size = 0;
    };
    struct AttributeSpan {
        Span name;
        size_t colon = kNoColon;  // where the prefix ends in the name
        Span value;
        size_t units = 0;
        std::string_view uri;
    };
    struct Binding {
        std::string prefix;  // empty for the default namespace
        std::string uri;     // empty where a default namespace is undeclared
    };

    std::string_view view(Span span) const { return input_.substr(span.at, span.size); }
    std::string_view current() const {
        return node_ == StreamNode::Element ? view(name_) : std::string_view();
    }
    std::span<const AttributeSpan> elementAttributes() const {
        return node_ == StreamNode::Element ? std::span<const AttributeSpan>(attributes_)
                                            : std::span<const AttributeSpan>();
    }
    std::string_view localOf(Span name, size_t colon) const {
        const std::string_view whole = view(name);
        return colon == kNoColon ? whole : whole.substr(colon + 1);
    }
    void decodeValue(const AttributeSpan& attribute, std::u16string& value) const {
        decodeCharacters(view(attribute.value), attribute.units, CharacterData::AttributeValue, value);
    }
    std::u16string valueOf(const AttributeSpan& attribute) const {
        std::u16string value;
        decodeValue(attribute, value);
        return value;
    }

    // Called only where the last node's text is given up and no token is under way but from pos_.
    bool fill() {
        if (ended_) return false;
        buffer_.erase(0, pos_);
        pos_ = 0;
        if (!source_->more(buffer_)) ended_ = true;
        input_ = buffer_;
        return !ended_;
    }

    // XML's white space; a carriage return only where a feed's line ends are read.
    bool space(char c) const { return isSpace(c) || (feeds_ && c == '\r'); }

    char at(size_t i) const {
        if (i >= input_.size()) throw Incomplete();
        return input_[i];
    }

    bool startsWith(size_t i, std::string_view text) const {
        for (size_t k = 0; k < text.size(); ++k)
            if (at(i + k) != text[k]) return false;
        return true;
    }

    // The node at pos_, moving past it; nothing for what is passed over (whitespace outside the root).
    std::optional<StreamNode> scan() {
        if (phase_ == Phase::Start) return declaration();
        if (input_[pos_] != '<') return text();
        const char next = at(pos_ + 1);
        if (next == '/') return endTag();
        if (next == '?' && (phase_ == Phase::AfterRoot || feeds_)) return instruction();
        if (next == '!' && feeds_) return startsWith(pos_, "<!--") ? comment() : cdata();
        if (!isNameStart(next)) notPlain();  // comments, CDATA, DOCTYPEs and instructions alike
        return startTag();
    }

    std::optional<StreamNode> declaration() {
        if (feeds_) {
            feedDeclaration();
            phase_ = Phase::Prolog;
            return std::nullopt;  // the general reader hands out no node for it
        }
        for (std::string_view declaration : kDeclarations) {
            const size_t have = std::min(declaration.size(), input_.size());
            if (input_.substr(0, have) != declaration.substr(0, have)) continue;
            if (have < declaration.size()) throw Incomplete();
            pos_ = declaration.size();
            phase_ = Phase::Prolog;
            node_ = StreamNode::Other;
            return node_;
        }
        notPlain();
    }

    // A feed's byte-order mark and declaration, of UTF-8 either, or none.
    void feedDeclaration() {
        if (input_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
        if (input_.size() < pos_ + 6 || input_.substr(pos_, 5) != "<?xml" || !space(input_[pos_ + 5])) return;
        size_t i = pos_ + 5;
        // Each pseudo-attribute in its place, the first one required; a value of a few characters.
        auto pseudoAttribute = [&](std::string_view name, bool required) {
            size_t k = i;
            skipSpace(k);
            if (k == i || !startsWith(k, name)) {
                if (required) notPlain();
                return std::string_view();
            }
            k += name.size();
            skipSpace(k);
            if (at(k) != '=') notPlain();
            skipSpace(++k);
            const char quote = at(k);
            if (quote != '"' && quote != '\'') notPlain();
            const size_t valueStart = ++k;
            while (at(k) != quote)
                if (++k - valueStart > 32) notPlain();
            i = k + 1;
            return input_.substr(valueStart, k - valueStart);
        };
        const std::string_view version = pseudoAttribute("version", true);
        const std::string_view encoding = pseudoAttribute("encoding", false);
        const std::string_view standalone = pseudoAttribute("standalone", false);
        skipSpace(i);
        if (at(i) != '?' || at(i + 1) != '>') notPlain();
        if (version != "1.0") notPlain();
        if (!encoding.empty() && !equalsIgnoringCase(encoding, "utf-8")) notPlain();
        if (!standalone.empty() && standalone != "yes" && standalone != "no") notPlain();
        pos_ = i + 2;
    }

    std::optional<StreamNode> text() {
        const char* start = input_.data() + pos_;
        const void* found = std::memchr(start, '<', input_.size() - pos_);
        // Only what follows the root may end the document without markup after it.
        if (!found && !ended_) throw Incomplete();
        if (!found && phase_ == Phase::InRoot) notPlain();
        const Span span{pos_, found ? static_cast<size_t>(static_cast<const char*>(found) - start)
                                    : input_.size() - pos_};
        const std::string_view text = view(span);
        if (phase_ != Phase::InRoot) {
            for (char c : text)
                if (!space(c)) notPlain();
            pos_ += span.size;
            return std::nullopt;
        }
        if (span.size > kMaxText) notPlain();
        textUnits_ = checkCharacters(text, feeds_);
        pos_ += span.size;
        text_ = span;
        node_ = StreamNode::Text;
        return node_;
    }

    // An instruction after the root (the room a store keeps for messages to come) is passed over;
    // a feed's, wherever it stands, is a node, as the general reader hands it out.
    std::optional<StreamNode> instruction() {
        size_t i = pos_ + 2;
        const Span target = name(i);
        if (target.size == 3 && equalsIgnoringCase(view(target), "xml")) notPlain();
        const size_t close = input_.find("?>", i);
        if (close == std::string_view::npos) throw Incomplete();
        if (close > i && !space(input_[i])) notPlain();
        checkLiteralCharacters(input_.substr(i, close - i), feeds_);
        pos_ = close + 2;
        if (!feeds_) return std::nullopt;
        node_ = StreamNode::Other;
        return node_;
    }

    std::optional<StreamNode> comment() {
        const size_t begin = pos_ + 4;
        const size_t close = input_.find("--", begin);
        if (close == std::string_view::npos) throw Incomplete();
        if (at(close + 2) != '>') notPlain();  // "--" within a comment
        checkLiteralCharacters(input_.substr(begin, close - begin), feeds_);
        pos_ = close + 3;
        node_ = StreamNode::Other;
        return node_;
    }

    // CDATA sections one after the other are one node, as the general reader joins them.
    std::optional<StreamNode> cdata() {
        static constexpr std::string_view kOpen = "<![CDATA[";
        if (phase_ != Phase::InRoot || !startsWith(pos_, kOpen)) notPlain();
        cdata_.clear();
        size_t i = pos_;
        size_t size = 0;
        do {
            const size_t begin = i + kOpen.size();
            const size_t close = input_.find("]]>", begin);
            if (close == std::string_view::npos) throw Incomplete();
            const Span piece{begin, close - begin};
            size += piece.size;
            if (size > kMaxText) notPlain();
            // libxml2 hands out a carriage return in CDATA as it stands: left to it.
            cdata_.push_back({piece, checkLiteralCharacters(view(piece))});
            i = close + 3;
        } while (startsWith(i, kOpen));
        pos_ = i;
        node_ = StreamNode::CData;
        return node_;
    }

    // The name at i, leaving i past it; `colon` is where a prefix ends in it.
    Span name(size_t& i, size_t* colon = nullptr) const {
        const size_t start = i;
        if (!isNameStart(at(i))) notPlain();
        while (isNameChar(at(i)))
            ++i;
        if (at(i) == ':') {
            if (!colon) notPlain();  // a namespace prefix
            *colon = i - start;
            if (!isNameStart(at(++i))) notPlain();
            while (isNameChar(at(i)))
                ++i;
            if (at(i) == ':') notPlain();
        }
        if (i - start > kMaxName) notPlain();
        return {start, i - start};
    }

    void skipSpace(size_t& i) const {
        while (space(at(i)))
            ++i;
    }

    std::optional<StreamNode> endTag() {
        size_t i = pos_ + 2;
        size_t colon = kNoColon;
        const Span span = name(i, feeds_ ? &colon : nullptr);
        skipSpace(i);
        if (at(i) != '>') notPlain();
        if (open_.empty() || open_.back() != view(span)) notPlain();
        open_.pop_back();
        bindings_.resize(scopes_.back());
        scopes_.pop_back();
        if (open_.empty()) phase_ = Phase::AfterRoot;
        pos_ = i + 1;
        node_ = StreamNode::EndElement;
        empty_ = false;
        return node_;
    }

    // The namespace a prefix stands for in the element being read; "" for no prefix and no default.
    std::string_view namespaceOf(std::string_view prefix) const {
        if (prefix == "xml") return kXmlNamespace;
        for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding)
            if (binding->prefix == prefix) return binding->uri;
        if (!prefix.empty()) notPlain();  // bound to nothing
        return {};
    }

    // Takes a namespace declaration among the attributes; false for an attribute of another name.
    bool takeNamespaceDeclaration(const AttributeSpan& attribute) {
        const std::string_view name = view(attribute.name);
        const bool isDefault = name == "xmlns";
        if (!isDefault && !(attribute.colon == 5 && name.starts_with("xmlns"))) return false;
        const std::string_view prefix = isDefault ? std::string_view() : name.substr(6);
        const std::string_view uri = view(attribute.value);
        if (prefix == "xml" || prefix == "xmlns") notPlain();
        if (!(isDefault && uri.empty()) && !isPlainNamespaceName(uri)) notPlain();
        if (uri == kXmlNamespace || uri == "http://www.w3.org/2000/xmlns/") notPlain();
        bindings_.push_back({std::string(prefix), std::string(uri)});
        return true;
    }

    std::optional<StreamNode> startTag() {
        if (phase_ == Phase::AfterRoot) notPlain();
        size_t i = pos_ + 1;
        size_t nameColon = kNoColon;
        const Span span = name(i, feeds_ ? &nameColon : nullptr);
        std::vector<AttributeSpan>& attributes = scratchAttributes_;
        attributes.clear();
        bool empty = false;
        while (true) {
            const bool spaced = space(at(i));
            skipSpace(i);
            if (at(i) == '>') break;
            if (at(i) == '/') {
                if (at(i + 1) != '>') notPlain();
                empty = true;
                ++i;
                break;
            }
            if (!spaced) notPlain();
            AttributeSpan attribute;
            attribute.name = name(i, feeds_ ? &attribute.colon : nullptr);
            if (!feeds_ && view(attribute.name) == "xmlns") notPlain();
            for (const AttributeSpan& earlier : attributes)
                if (view(earlier.name) == view(attribute.name)) notPlain();
            skipSpace(i);
            if (at(i) != '=') notPlain();
            ++i;
            skipSpace(i);
            const char quote = at(i);
            if (quote != '"' && quote != '\'') notPlain();
            const size_t valueStart = ++i;
            const void* close = std::memchr(input_.data() + i, quote, input_.size() - i);
            if (!close) throw Incomplete();
            i = static_cast<size_t>(static_cast<const char*>(close) - input_.data());
            attribute.value = {valueStart, i - valueStart};
            if (attribute.value.size > kMaxText) notPlain();
            attribute.units = checkCharacters(view(attribute.value), feeds_);
            ++i;
            attributes.push_back(attribute);
        }
        // The element's namespace declarations come into scope before its names are resolved.
        const size_t scope = bindings_.size();
        if (feeds_) {
            size_t kept = 0;
            for (const AttributeSpan& attribute : attributes)
                if (!takeNamespaceDeclaration(attribute)) attributes[kept++] = attribute;
            attributes.resize(kept);
            const std::string_view qualified = view(span);
            if (nameColon != kNoColon && qualified.starts_with("xml"))
                notPlain();  // xml: and xmlns: elements
            elementUri_ =
                namespaceOf(nameColon == kNoColon ? std::string_view() : qualified.substr(0, nameColon));
            for (AttributeSpan& attribute : attributes) {
                if (attribute.colon == kNoColon) continue;
                attribute.uri = namespaceOf(view(attribute.name).substr(0, attribute.colon));
                // The same name through two prefixes is an error a parser may pass over.
                for (const AttributeSpan& other : attributes)
                    if (&other != &attribute && other.colon != kNoColon &&
                        localOf(other.name, other.colon) == localOf(attribute.name, attribute.colon))
                        notPlain();
            }
        }
        pos_ = i + 1;
        name_ = span;
        nameColon_ = nameColon;
        attributes_.swap(attributes);
        empty_ = empty;
        node_ = StreamNode::Element;
        if (phase_ == Phase::Prolog) phase_ = empty ? Phase::AfterRoot : Phase::InRoot;
        if (empty) {
            emptyScope_ = scope;
        } else {
            if (open_.size() == kMaxDepth) notPlain();
            open_.emplace_back(view(span));
            scopes_.push_back(scope);
        }
        return node_;
    }

    std::unique_ptr<Source> source_;
    const bool feeds_ = false;
    bool ended_ = false;
    std::string buffer_;      // the part of a file in memory
    std::string_view input_;  // what is read: buffer_, or the whole document in memory
    size_t pos_ = 0;
    Phase phase_ = Phase::Start;
    std::vector<std::string> open_;
    std::vector<size_t> scopes_;  // for each open element, the bindings that were in scope before it
    std::vector<Binding> bindings_;
    size_t emptyScope_ = kNoScope;  // where an empty element's bindings end, to be dropped after it
    StreamNode node_ = StreamNode::Other;
    Span name_;
    size_t nameColon_ = kNoColon;
    std::string_view elementUri_;
    Span text_;
    size_t textUnits_ = 0;
    struct CDataPiece {
        Span span;
        size_t units;  // as checkLiteralCharacters counted them
    };
    std::vector<CDataPiece> cdata_;
    bool empty_ = false;
    std::vector<AttributeSpan> attributes_;
    std::vector<AttributeSpan> scratchAttributes_;
    std::u16string wide_;
};

}  // namespace

std::u16string plainElementText(StreamReader& reader) {
    std::u16string text;
    if (reader.isEmptyElement()) return text;
    for (StreamNode node = reader.read(); node != StreamNode::EndElement; node = reader.read()) {
        if (node != StreamNode::Text) notPlain();
        reader.appendValue(text);
    }
    trimXmlSpace(text);
    return text;
}

void takePlainTextChildren(StreamReader& reader, std::string_view name,
                           const std::function<void(std::u16string_view)>& take) {
    if (auto* plain = dynamic_cast<PlainXmlReader*>(&reader)) plain->takeTextChildren(name, take);
}

void skipPlainElement(StreamReader& reader) {
    // A plain reader raises NotPlainXml itself where the file ends inside the element.
    skipElement(reader, u"");
}

std::unique_ptr<StreamReader> openPlainXmlReader(std::u16string_view path) {
    auto source = std::make_unique<FileSource>(path);
    if (!source->opened()) return nullptr;
    return std::make_unique<PlainXmlReader>(std::move(source));
}

std::unique_ptr<StreamReader> openPlainXmlReader(std::string_view bytes, PlainXmlShape shape) {
    return std::make_unique<PlainXmlReader>(bytes, shape);
}

}  // namespace corvane::xml
