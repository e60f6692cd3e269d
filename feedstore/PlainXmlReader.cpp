#include "feedstore/PlainXmlReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "feedstore/XmlSpace.h"
#include "platform/FolderLock.h"
#include "platform/Utf.h"

namespace corvane::xml {
namespace {

// A few items at once: little beside the items read from it.
constexpr size_t kChunk = 128 * 1024;
constexpr size_t kMaxDepth = 64;

constexpr std::string_view kDeclarations[] = {"<?xml version=\"1.0\" encoding=\"utf-8\"?>",
                                              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"};

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

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence of an XML character at text[i] (a lead byte of
// 0x80 or more), or 0.
size_t sequenceLength(std::string_view text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const size_t left = text.size() - i;
    const unsigned char lead = at(0);
    if (lead >= 0xC2 && lead <= 0xDF) return left >= 2 && isContinuation(at(1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !isContinuation(at(1)) || !isContinuation(at(2))) return 0;
        if (lead == 0xE0 && at(1) < 0xA0) return 0;   // overlong
        if (lead == 0xED && at(1) >= 0xA0) return 0;  // a surrogate
        // U+FFFE and U+FFFF are no XML characters.
        if (lead == 0xEF && at(1) == 0xBF && (at(2) == 0xBE || at(2) == 0xBF)) return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !isContinuation(at(1)) || !isContinuation(at(2)) || !isContinuation(at(3))) return 0;
        if (lead == 0xF0 && at(1) < 0x90) return 0;   // overlong
        if (lead == 0xF4 && at(1) >= 0x90) return 0;  // beyond U+10FFFF
        return 4;
    }
    return 0;
}

// The character a reference at text[i] ('&') stands for, moving i past it; raises NotPlainXml for
// anything but the predefined entities and numeric references to XML characters.
char32_t reference(std::string_view text, size_t& i) {
    static constexpr std::pair<std::string_view, char> kPredefined[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    const std::string_view rest = text.substr(i);
    for (const auto& [name, c] : kPredefined)
        if (rest.starts_with(name)) {
            i += name.size();
            return static_cast<char32_t>(c);
        }
    if (!rest.starts_with("&#")) notPlain();
    const bool hex = rest.size() > 2 && rest[2] == 'x';
    size_t k = hex ? 3 : 2;
    char32_t value = 0;
    const size_t firstDigit = k;
    for (; k < rest.size() && rest[k] != ';'; ++k) {
        const char c = rest[k];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0 || k - firstDigit >= 8) notPlain();
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (k == firstDigit || k == rest.size() || !isXmlChar(value)) notPlain();
    i += k + 1;
    return value;
}

// Checks character data (text, or an attribute value without its quotes) as XML takes it; the
// number of UTF-16 units it decodes to.
size_t checkCharacters(std::string_view text) {
    size_t units = 0;
    for (size_t i = 0; i < text.size(); ++units) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x80 && c != '&' && c != '<' && c != ']') {
            ++i;
        } else if (c >= 0x80) {
            const size_t length = sequenceLength(text, i);
            if (length == 0) notPlain();
            if (length == 4) ++units;  // a surrogate pair
            i += length;
        } else if (c == '&') {
            if (reference(text, i) >= 0x10000) ++units;
        } else if (c < 0x20 && c != '\t' && c != '\n') {
            notPlain();  // a carriage return would be turned into a line feed; the others are not XML
        } else if (c == '<' || (c == ']' && text.substr(i).starts_with("]]>"))) {
            notPlain();
        } else {
            ++i;
        }
    }
    return units;
}

// Checks that an instruction's data is XML characters; markup in it is no markup.
void checkInstructionData(std::string_view data) {
    for (size_t i = 0; i < data.size();) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20 && c < 0x80) {
            ++i;
        } else if (c >= 0x80) {
            const size_t length = sequenceLength(data, i);
            if (length == 0) notPlain();
            i += length;
        } else if (c == '\t' || c == '\n') {
            ++i;
        } else {
            notPlain();
        }
    }
}

void putUnit(char16_t*& out, char32_t c) {
    if (c < 0x10000) {
        *out++ = static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (c >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// Appends checked character data of `units` UTF-16 units (as counted by checkCharacters),
// references replaced; an attribute value's tabs and line feeds become spaces, as a parser
// normalises them.
void decode(std::string_view text, size_t units, bool attribute, std::u16string& out) {
    const size_t start = out.size();
    out.resize(start + units);
    char16_t* write = out.data() + start;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c == '&') {
                putUnit(write, reference(text, i));
                continue;
            }
            *write++ = attribute && (c == '\t' || c == '\n') ? u' ' : static_cast<char16_t>(c);
            ++i;
            continue;
        }
        const auto at = [&](size_t k) {
            return static_cast<char32_t>(static_cast<unsigned char>(text[i + k]) & 0x3F);
        };
        if (c >= 0xF0) {
            putUnit(write, (static_cast<char32_t>(c & 0x07) << 18) | (at(1) << 12) | (at(2) << 6) | at(3));
            i += 4;
        } else if (c >= 0xE0) {
            putUnit(write, (static_cast<char32_t>(c & 0x0F) << 12) | (at(1) << 6) | at(2));
            i += 3;
        } else {
            putUnit(write, (static_cast<char32_t>(c & 0x1F) << 6) | at(1));
            i += 2;
        }
    }
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

class MemorySource final : public Source {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    bool more(std::string& buffer) override {
        if (done_) return false;
        buffer += bytes_;
        done_ = true;
        return true;
    }

  private:
    std::string_view bytes_;
    bool done_ = false;
};

class PlainXmlReader final : public StreamReader {
  public:
    explicit PlainXmlReader(std::unique_ptr<Source> source) : source_(std::move(source)) {}

    StreamNode read() override {
        bool atEnd = false;
        while (true) {
            try {
                if (pos_ == buffer_.size() && !fill()) {
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
        if (node_ == StreamNode::Text) decode(view(text_), textUnits_, false, out);
    }

    std::optional<std::u16string> attribute(std::string_view name) override {
        for (const AttributeSpan& attribute : attributes_)
            if (view(attribute.name) == name) {
                std::u16string value;
                decode(view(attribute.value), attribute.units, true, value);
                return value;
            }
        return std::nullopt;
    }

    // Plain XML has no namespaces: every name is in none.
    bool isNamedNs(std::string_view localName, std::string_view uri) override {
        return uri.empty() && isNamed(localName);
    }
    std::u16string localName() override { return fromUtf8(current()); }
    std::optional<std::u16string> attributeNs(std::string_view localName, std::string_view uri) override {
        if (!uri.empty()) return std::nullopt;
        return attribute(localName);
    }
    std::vector<Attribute> attributes() override {
        std::vector<Attribute> all;
        for (const AttributeSpan& attribute : attributes_) {
            Attribute one{fromUtf8(view(attribute.name)), {}, {}};
            decode(view(attribute.value), attribute.units, true, one.value);
            all.push_back(std::move(one));
        }
        return all;
    }

    // Past the children at pos_ (the reader stands on their parent's start or past a child) that
    // are `<name>text</name>` with simple text (kSimpleText: ids and the like), with white space
    // between them, giving each text to `take`: the nodes read() would give, without the work of
    // each. What is not of that shape, and a child not whole in memory, are left to read().
    void takeTextChildren(std::string_view name, const std::function<void(std::u16string_view)>& take) {
        if (node_ == StreamNode::Element && empty_) return;  // no children: pos_ is past its end
        const std::string_view buffer(buffer_);
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
    struct Span {
        size_t at = 0;
        size_t size = 0;
    };
    struct AttributeSpan {
        Span name;
        Span value;
        size_t units = 0;
    };

    std::string_view view(Span span) const { return std::string_view(buffer_).substr(span.at, span.size); }
    std::string_view current() const {
        return node_ == StreamNode::Element ? view(name_) : std::string_view();
    }

    // Called only where the last node's text is given up and no token is under way but from pos_.
    bool fill() {
        if (ended_) return false;
        buffer_.erase(0, pos_);
        pos_ = 0;
        if (!source_->more(buffer_)) ended_ = true;
        return !ended_;
    }

    char at(size_t i) const {
        if (i >= buffer_.size()) throw Incomplete();
        return buffer_[i];
    }

    // The node at pos_, moving past it; nothing for what is passed over (whitespace outside the root).
    std::optional<StreamNode> scan() {
        if (phase_ == Phase::Start) return declaration();
        if (buffer_[pos_] != '<') return text();
        const char next = at(pos_ + 1);
        if (next == '/') return endTag();
        if (next == '?' && phase_ == Phase::AfterRoot) return instruction();
        if (!isNameStart(next)) notPlain();  // comments, CDATA, DOCTYPEs and instructions alike
        return startTag();
    }

    std::optional<StreamNode> declaration() {
        for (std::string_view declaration : kDeclarations) {
            const size_t have = std::min(declaration.size(), buffer_.size());
            if (std::string_view(buffer_).substr(0, have) != declaration.substr(0, have)) continue;
            if (have < declaration.size()) throw Incomplete();
            pos_ = declaration.size();
            phase_ = Phase::Prolog;
            node_ = StreamNode::Other;
            return node_;
        }
        notPlain();
    }

    std::optional<StreamNode> text() {
        const char* start = buffer_.data() + pos_;
        const void* found = std::memchr(start, '<', buffer_.size() - pos_);
        // Only what follows the root may end the document without markup after it.
        if (!found && !ended_) throw Incomplete();
        if (!found && phase_ == Phase::InRoot) notPlain();
        const Span span{pos_, found ? static_cast<size_t>(static_cast<const char*>(found) - start)
                                    : buffer_.size() - pos_};
        const std::string_view text = view(span);
        if (phase_ != Phase::InRoot) {
            for (char c : text)
                if (!isSpace(c)) notPlain();
            pos_ += span.size;
            return std::nullopt;
        }
        textUnits_ = checkCharacters(text);
        pos_ += span.size;
        text_ = span;
        node_ = StreamNode::Text;
        return node_;
    }

    // An instruction after the root (the room a store keeps for messages to come) is passed over.
    std::optional<StreamNode> instruction() {
        size_t i = pos_ + 2;
        const Span target = name(i);
        const std::string_view targetName = view(target);
        if (targetName.size() == 3 && (targetName[0] | 0x20) == 'x' && (targetName[1] | 0x20) == 'm' &&
            (targetName[2] | 0x20) == 'l')
            notPlain();
        const size_t close = std::string_view(buffer_).find("?>", i);
        if (close == std::string_view::npos) throw Incomplete();
        if (close > i && !isSpace(buffer_[i])) notPlain();
        checkInstructionData(std::string_view(buffer_).substr(i, close - i));
        pos_ = close + 2;
        return std::nullopt;
    }

    // The name at i, leaving i past it.
    Span name(size_t& i) const {
        const size_t start = i;
        if (!isNameStart(at(i))) notPlain();
        while (isNameChar(at(i)))
            ++i;
        if (at(i) == ':') notPlain();  // a namespace prefix
        return {start, i - start};
    }

    void skipSpace(size_t& i) const {
        while (isSpace(at(i)))
            ++i;
    }

    std::optional<StreamNode> endTag() {
        size_t i = pos_ + 2;
        const Span span = name(i);
        skipSpace(i);
        if (at(i) != '>') notPlain();
        if (open_.empty() || open_.back() != view(span)) notPlain();
        open_.pop_back();
        if (open_.empty()) phase_ = Phase::AfterRoot;
        pos_ = i + 1;
        node_ = StreamNode::EndElement;
        empty_ = false;
        return node_;
    }

    std::optional<StreamNode> startTag() {
        if (phase_ == Phase::AfterRoot) notPlain();
        size_t i = pos_ + 1;
        const Span span = name(i);
        std::vector<AttributeSpan>& attributes = scratchAttributes_;
        attributes.clear();
        bool empty = false;
        while (true) {
            const bool spaced = isSpace(at(i));
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
            attribute.name = name(i);
            if (view(attribute.name) == "xmlns") notPlain();
            for (const AttributeSpan& earlier : attributes)
                if (view(earlier.name) == view(attribute.name)) notPlain();
            skipSpace(i);
            if (at(i) != '=') notPlain();
            ++i;
            skipSpace(i);
            const char quote = at(i);
            if (quote != '"' && quote != '\'') notPlain();
            const size_t valueStart = ++i;
            while (at(i) != quote)
                ++i;
            attribute.value = {valueStart, i - valueStart};
            attribute.units = checkCharacters(view(attribute.value));
            ++i;
            attributes.push_back(attribute);
        }
        pos_ = i + 1;
        name_ = span;
        attributes_.swap(attributes);
        empty_ = empty;
        node_ = StreamNode::Element;
        if (phase_ == Phase::Prolog) phase_ = empty ? Phase::AfterRoot : Phase::InRoot;
        if (!empty) {
            if (open_.size() == kMaxDepth) notPlain();
            open_.emplace_back(view(span));
        }
        return node_;
    }

    std::unique_ptr<Source> source_;
    bool ended_ = false;
    std::string buffer_;
    size_t pos_ = 0;
    Phase phase_ = Phase::Start;
    std::vector<std::string> open_;
    StreamNode node_ = StreamNode::Other;
    Span name_;
    Span text_;
    size_t textUnits_ = 0;
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

std::unique_ptr<StreamReader> openPlainXmlReader(std::string_view bytes) {
    return std::make_unique<PlainXmlReader>(std::make_unique<MemorySource>(bytes));
}

}  // namespace corvane::xml
