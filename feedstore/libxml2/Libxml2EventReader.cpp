// The forward-only reader of a document in memory over libxml2's push parser and its SAX2 events.
// No tree is built: each chunk's events are queued, with their names (the parser's dictionary keeps
// those) and their text and attribute values copied, and handed out one by one. What it hands out is
// what the text reader hands out for the same bytes, which the tests check node for node.
#include "feedstore/libxml2/Libxml2Library.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "feedstore/FeedStoreError.h"
#include "feedstore/libxml2/Libxml2Readers.h"
#include "platform/Utf.h"

namespace corvane::xml {
namespace {

// The same options as the text reader's: never NOENT, DTDLOAD, DTDVALID or DTDATTR, each of which
// makes libxml2 read external entities or DTDs.
constexpr int kParserOptions = XML_PARSE_NONET;

std::string_view viewOf(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

// Whether "prefix:localName", or localName alone, is `name`.
bool isQualifiedName(std::string_view name, const xmlChar* prefix, const xmlChar* localName) {
    const std::string_view local = viewOf(localName);
    if (!prefix) return name == local;
    const std::string_view before = viewOf(prefix);
    return name.size() == before.size() + 1 + local.size() && name.starts_with(before) &&
           name[before.size()] == ':' && name.ends_with(local);
}

class Libxml2EventReader final : public StreamReader {
  public:
    Libxml2EventReader(std::span<const uint8_t> bytes, size_t chunk)
        : bytes_(bytes), chunk_(std::max<size_t>(chunk, 1)) {}
    Libxml2EventReader(const Libxml2EventReader&) = delete;
    Libxml2EventReader& operator=(const Libxml2EventReader&) = delete;
    ~Libxml2EventReader() override {
        if (context_) xmlFreeParserCtxt(context_);
    }

    // False when libxml2 gives no parser.
    bool open() {
        xmlSAXHandler handler{};
        handler.initialized = XML_SAX2_MAGIC;
        handler.startElementNs = onStartElement;
        handler.endElementNs = onEndElement;
        handler.characters = onCharacters;
        handler.ignorableWhitespace = onCharacters;
        handler.cdataBlock = onCData;
        handler.comment = onComment;
        handler.processingInstruction = onProcessingInstruction;
        handler.reference = onReference;
        handler.internalSubset = onInternalSubset;
        handler.serror = keepError;
        // The first four bytes tell the encoding, as they do for the text reader.
        const size_t first = std::min<size_t>(4, bytes_.size());
        context_ = xmlCreatePushParserCtxt(&handler, this, reinterpret_cast<const char*>(bytes_.data()),
                                           static_cast<int>(first), nullptr);
        if (!context_) return false;
        xmlCtxtUseOptions(context_, kParserOptions);
        offset_ = first;
        return true;
    }

    StreamNode read() override {
        if (current_ != kNone) next_ = current_ + 1;
        current_ = kNone;
        while (!ready()) {
            if (finished_) {
                if (failed_) fail();
                return StreamNode::End;
            }
            parseMore();
        }
        current_ = next_;
        return events_[current_].type;
    }

    bool isNamed(std::string_view name) override {
        const Event& event = element();
        return isQualifiedName(name, event.prefix, event.localName);
    }

    bool isEmptyElement() override { return current_ != kNone && events_[current_].empty; }

    void appendValue(std::u16string& out) override {
        if (current_ == kNone) return;
        const Event& event = events_[current_];
        if (event.type != StreamNode::Text && event.type != StreamNode::CData) return;
        appendUtf8(out, std::string_view(text_).substr(event.begin, event.end - event.begin));
    }

    std::optional<std::u16string> attribute(std::string_view name) override {
        for (const EventAttribute& attribute : attributesOf(element()))
            if (isQualifiedName(name, attribute.prefix, attribute.localName)) return valueOf(attribute);
        return std::nullopt;
    }

    bool isNamedNs(std::string_view localName, std::string_view uri) override {
        const Event& event = element();
        return viewOf(event.localName) == localName && viewOf(event.uri) == uri;
    }

    std::u16string localName() override { return fromUtf8(viewOf(element().localName)); }

    std::optional<std::u16string> attributeNs(std::string_view localName, std::string_view uri) override {
        for (const EventAttribute& attribute : attributesOf(element()))
            if (viewOf(attribute.localName) == localName && viewOf(attribute.uri) == uri)
                return valueOf(attribute);
        return std::nullopt;
    }

    std::vector<Attribute> attributes() override {
        std::vector<Attribute> found;
        for (const EventAttribute& attribute : attributesOf(element()))
            found.push_back(
                {fromUtf8(viewOf(attribute.localName)), fromUtf8(viewOf(attribute.uri)), valueOf(attribute)});
        return found;
    }

  private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    struct Event {
        StreamNode type;
        bool empty = false;
        // Elements: names from the parser's dictionary, which lives as long as the parser.
        const xmlChar* localName = nullptr;
        const xmlChar* prefix = nullptr;
        const xmlChar* uri = nullptr;
        // Text and CDATA: the value in text_; elements: their attributes in attributes_.
        size_t begin = 0;
        size_t end = 0;
    };
    struct EventAttribute {
        const xmlChar* localName;
        const xmlChar* prefix;
        const xmlChar* uri;
        size_t begin;  // the value in text_
        size_t end;
    };

    // Whether the next event can be handed out: character data only once what follows it is known,
    // since the next chunk may go on with it.
    bool ready() const {
        if (next_ >= events_.size()) return false;
        if (next_ + 1 < events_.size() || finished_) return true;
        const StreamNode type = events_[next_].type;
        return type != StreamNode::Text && type != StreamNode::CData;
    }

    void parseMore() {
        // What was handed out is dropped; at most a run of character data still waits.
        if (next_ > 0) {
            if (next_ < events_.size()) {
                Event waiting = events_[next_];
                text_.erase(0, waiting.begin);
                waiting.end -= waiting.begin;
                waiting.begin = 0;
                events_.assign(1, waiting);
            } else {
                events_.clear();
                text_.clear();
            }
            attributes_.clear();
            next_ = 0;
            current_ = kNone;
        }
        const size_t size = std::min(chunk_, bytes_.size() - offset_);
        const bool last = offset_ + size == bytes_.size();
        const int result = xmlParseChunk(context_, reinterpret_cast<const char*>(bytes_.data() + offset_),
                                         static_cast<int>(size), last ? 1 : 0);
        offset_ += size;
        if (result != 0 || context_->wellFormed == 0 || stopped_) failed_ = true;
        // Bytes the declared encoding cannot decode, met after the parser stopped asking for more,
        // are noted on the input alone.
        if (context_->input && context_->input->buf && context_->input->buf->error != 0) failed_ = true;
        if (last || failed_) finished_ = true;
    }

    const Event& element() const {
        static const Event none{StreamNode::Other};
        return current_ == kNone ? none : events_[current_];
    }

    std::span<const EventAttribute> attributesOf(const Event& event) const {
        if (event.type != StreamNode::Element) return {};
        return std::span<const EventAttribute>(attributes_).subspan(event.begin, event.end - event.begin);
    }

    std::u16string valueOf(const EventAttribute& attribute) const {
        return fromUtf8(std::string_view(text_).substr(attribute.begin, attribute.end - attribute.begin));
    }

    // Character data goes on the run before it, as the tree joins adjacent text (and adjacent CDATA).
    void addText(StreamNode type, const xmlChar* value, int length) {
        // The run before may go on unless it was handed out already.
        const size_t last = events_.size() - 1;
        if (events_.empty() || events_.back().type != type || last < next_ || last == current_) {
            Event event{type};
            event.begin = event.end = text_.size();
            events_.push_back(event);
        }
        text_.append(reinterpret_cast<const char*>(value), static_cast<size_t>(length));
        Event& run = events_.back();
        run.end = text_.size();
        // The text reader's tree refuses a text node this long.
        if (type == StreamNode::Text && run.end - run.begin > XML_MAX_TEXT_LENGTH) stop("Huge text node");
    }

    void add(StreamNode type) { events_.push_back(Event{type}); }

    void stop(const char* reason) {
        if (error_.empty()) error_ = reason;
        stopped_ = true;
        xmlStopParser(context_);
    }

    static Libxml2EventReader& self(void* context) { return *static_cast<Libxml2EventReader*>(context); }

    static void onStartElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                               const xmlChar* uri, int, const xmlChar**, int attributeCount, int,
                               const xmlChar** attributes) {
        Libxml2EventReader& reader = self(context);
        Event event{StreamNode::Element};
        event.localName = localName;
        event.prefix = prefix;
        event.uri = uri;
        // A prefix bound to no namespace stays part of the name, as in the tree.
        if (prefix && !uri) {
            event.localName = xmlDictQLookup(reader.context_->dict, prefix, localName);
            event.prefix = nullptr;
        }
        // Written "<a/>": the parser stands on its end, which is where the text reader tells.
        const xmlChar* at = reader.context_->input ? reader.context_->input->cur : nullptr;
        event.empty = at && at[0] == '/' && at[1] == '>';
        event.begin = reader.attributes_.size();
        for (int i = 0; i < attributeCount; ++i) {
            const xmlChar** attribute = attributes + 5 * i;
            EventAttribute kept{attribute[0], attribute[1], attribute[2], reader.text_.size(), 0};
            if (kept.prefix && !kept.uri) {
                kept.localName = xmlDictQLookup(reader.context_->dict, kept.prefix, kept.localName);
                kept.prefix = nullptr;
            }
            reader.appendAttributeValue(attribute[3], attribute[4]);
            kept.end = reader.text_.size();
            reader.attributes_.push_back(kept);
        }
        event.end = reader.attributes_.size();
        reader.events_.push_back(event);
        reader.empties_.push_back(event.empty);
    }

    // Without entity replacement the parser hands an ampersand in an attribute value on as "&#38;",
    // for the tree to decode; every other reference comes decoded.
    void appendAttributeValue(const xmlChar* begin, const xmlChar* end) {
        const std::string_view value(reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin));
        for (size_t at = 0;;) {
            const size_t ampersand = value.find("&#38;", at);
            text_.append(value.substr(at, ampersand == std::string_view::npos ? ampersand : ampersand - at));
            if (ampersand == std::string_view::npos) break;
            text_ += '&';
            at = ampersand + 5;
        }
    }

    static void onEndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
        Libxml2EventReader& reader = self(context);
        const bool empty = !reader.empties_.empty() && reader.empties_.back();
        if (!reader.empties_.empty()) reader.empties_.pop_back();
        if (!empty) reader.add(StreamNode::EndElement);
    }

    static void onCharacters(void* context, const xmlChar* value, int length) {
        self(context).addText(StreamNode::Text, value, length);
    }

    static void onCData(void* context, const xmlChar* value, int length) {
        self(context).addText(StreamNode::CData, value, length);
    }

    static void onComment(void* context, const xmlChar*) { self(context).add(StreamNode::Other); }

    static void onProcessingInstruction(void* context, const xmlChar*, const xmlChar*) {
        self(context).add(StreamNode::Other);
    }

    // Only a declared entity is handed on as a reference, and declaring one takes a DOCTYPE.
    static void onReference(void* context, const xmlChar*) { self(context).add(StreamNode::Unsupported); }

    // A DOCTYPE is where this reader stops: the document model reads such documents.
    static void onInternalSubset(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
        Libxml2EventReader& reader = self(context);
        reader.add(StreamNode::Unsupported);
        reader.stop("The document has a DOCTYPE");
    }

    static void keepError(void* context, xmlErrorPtr error) {
        Libxml2EventReader& reader = self(context);
        if (reader.error_.empty() && error && error->message) reader.error_ = error->message;
    }

    [[noreturn]] void fail() {
        std::string reason = error_.empty() ? std::string("The file is not well-formed XML") : error_;
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
            reason.pop_back();
        throw FeedStoreError(kStatusFail, fromUtf8(reason));
    }

    std::span<const uint8_t> bytes_;
    size_t chunk_;
    size_t offset_ = 0;
    xmlParserCtxtPtr context_ = nullptr;
    std::vector<Event> events_;
    std::vector<EventAttribute> attributes_;
    std::string text_;
    std::vector<bool> empties_;  // of the open elements, whether each was written "<a/>"
    size_t next_ = 0;            // the event read() hands out next, or the one it handed out last
    size_t current_ = kNone;
    bool finished_ = false;
    bool failed_ = false;
    bool stopped_ = false;
    std::string error_;
};

}  // namespace

std::unique_ptr<StreamReader> openEventStreamReader(std::span<const uint8_t> bytes, size_t chunk) {
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return nullptr;
    auto reader = std::make_unique<Libxml2EventReader>(bytes, chunk);
    if (!reader->open()) return nullptr;
    return reader;
}

}  // namespace corvane::xml
