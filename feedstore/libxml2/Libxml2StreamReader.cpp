// The forward-only reader over libxml2's text reader: the item store's files, and the reference the
// event reader of documents in memory is held to.
#include <fcntl.h>
#include <unistd.h>

#include "feedstore/libxml2/Libxml2Library.h"

#include <cstring>
#include <limits>

#include "feedstore/FeedStoreError.h"
#include "feedstore/XmlStreamReader.h"
#include "feedstore/libxml2/Libxml2Readers.h"
#include "platform/Utf.h"

namespace corvane::xml {
namespace {

// Never NOENT, DTDLOAD, DTDVALID or DTDATTR: each makes libxml2 read external entities or DTDs.
constexpr int kReaderOptions = XML_PARSE_NONET;

bool sameName(const xmlChar* name, std::string_view wanted) {
    return name && std::strlen(reinterpret_cast<const char*>(name)) == wanted.size() &&
           std::memcmp(name, wanted.data(), wanted.size()) == 0;
}

constexpr std::string_view kXmlnsUri = "http://www.w3.org/2000/xmlns/";

std::string_view viewOf(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

class Libxml2StreamReader final : public StreamReader {
  public:
    // `fd` is closed with the reader; -1 for a reader of memory.
    Libxml2StreamReader(int fd, xmlTextReaderPtr reader) : fd_(fd), reader_(reader) {
        // The parser's complaints are kept for the error, not printed.
        xmlTextReaderSetStructuredErrorHandler(reader_, keepError, this);
    }
    Libxml2StreamReader(const Libxml2StreamReader&) = delete;
    Libxml2StreamReader& operator=(const Libxml2StreamReader&) = delete;
    ~Libxml2StreamReader() override {
        xmlFreeTextReader(reader_);
        if (fd_ >= 0) close(fd_);
    }

    StreamNode read() override {
        const int result = xmlTextReaderRead(reader_);
        if (result == 0) return StreamNode::End;
        if (result < 0) fail();
        switch (xmlTextReaderNodeType(reader_)) {
            case XML_READER_TYPE_ELEMENT:
                return StreamNode::Element;
            case XML_READER_TYPE_END_ELEMENT:
                return StreamNode::EndElement;
            case XML_READER_TYPE_TEXT:
            case XML_READER_TYPE_WHITESPACE:
            case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
                return StreamNode::Text;
            case XML_READER_TYPE_CDATA:
                return StreamNode::CData;
            case XML_READER_TYPE_DOCUMENT_TYPE:
            case XML_READER_TYPE_ENTITY_REFERENCE:
                return StreamNode::Unsupported;
            default:
                return StreamNode::Other;
        }
    }

    bool isNamed(std::string_view name) override { return sameName(xmlTextReaderConstName(reader_), name); }

    bool isEmptyElement() override { return xmlTextReaderIsEmptyElement(reader_) == 1; }

    void appendValue(std::u16string& out) override {
        const xmlChar* value = xmlTextReaderConstValue(reader_);
        if (!value) return;
        appendUtf8(out, reinterpret_cast<const char*>(value));
    }

    std::optional<std::u16string> attribute(std::string_view name) override {
        std::optional<std::u16string> found;
        for (int more = xmlTextReaderMoveToFirstAttribute(reader_); more == 1;
             more = xmlTextReaderMoveToNextAttribute(reader_)) {
            if (!sameName(xmlTextReaderConstName(reader_), name)) continue;
            const xmlChar* value = xmlTextReaderConstValue(reader_);
            found = fromUtf8(value ? reinterpret_cast<const char*>(value) : "");
            break;
        }
        xmlTextReaderMoveToElement(reader_);
        return found;
    }

    bool isNamedNs(std::string_view localName, std::string_view uri) override {
        return viewOf(xmlTextReaderConstLocalName(reader_)) == localName &&
               viewOf(xmlTextReaderConstNamespaceUri(reader_)) == uri;
    }

    std::u16string localName() override { return fromUtf8(viewOf(xmlTextReaderConstLocalName(reader_))); }

    std::optional<std::u16string> attributeNs(std::string_view localName, std::string_view uri) override {
        if (xmlTextReaderHasAttributes(reader_) != 1) return std::nullopt;
        std::optional<std::u16string> found;
        for (int more = xmlTextReaderMoveToFirstAttribute(reader_); more == 1;
             more = xmlTextReaderMoveToNextAttribute(reader_)) {
            if (!isNamedNs(localName, uri)) continue;
            found = fromUtf8(viewOf(xmlTextReaderConstValue(reader_)));
            break;
        }
        xmlTextReaderMoveToElement(reader_);
        return found;
    }

    std::vector<Attribute> attributes() override {
        std::vector<Attribute> found;
        if (xmlTextReaderHasAttributes(reader_) != 1) return found;
        for (int more = xmlTextReaderMoveToFirstAttribute(reader_); more == 1;
             more = xmlTextReaderMoveToNextAttribute(reader_)) {
            const std::string_view uri = viewOf(xmlTextReaderConstNamespaceUri(reader_));
            if (uri == kXmlnsUri) continue;
            found.push_back({fromUtf8(viewOf(xmlTextReaderConstLocalName(reader_))), fromUtf8(uri),
                             fromUtf8(viewOf(xmlTextReaderConstValue(reader_)))});
        }
        xmlTextReaderMoveToElement(reader_);
        return found;
    }

  private:
    static void keepError(void* self, xmlErrorPtr error) {
        auto* reader = static_cast<Libxml2StreamReader*>(self);
        if (reader->error_.empty() && error && error->message) reader->error_ = error->message;
    }

    [[noreturn]] void fail() {
        std::string reason = error_.empty() ? std::string("The file is not well-formed XML") : error_;
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
            reason.pop_back();
        throw FeedStoreError(kStatusFail, fromUtf8(reason));
    }

    int fd_;
    xmlTextReaderPtr reader_;
    std::string error_;
};

}  // namespace

std::unique_ptr<StreamReader> openStreamReader(std::u16string_view path) {
    const int fd = open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    xmlTextReaderPtr reader = xmlReaderForFd(fd, nullptr, nullptr, kReaderOptions);
    if (!reader) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<Libxml2StreamReader>(fd, reader);
}

std::unique_ptr<StreamReader> openTreeStreamReader(std::span<const uint8_t> bytes) {
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return nullptr;
    xmlTextReaderPtr reader =
        xmlReaderForMemory(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
                           nullptr, nullptr, kReaderOptions);
    if (!reader) return nullptr;
    return std::make_unique<Libxml2StreamReader>(-1, reader);
}

// A feed is read by the event reader: the text reader builds, and frees again, a node for each
// piece of the document, which took about half of the time of a feed's read.
std::unique_ptr<StreamReader> openStreamReader(std::span<const uint8_t> bytes) {
    return openEventStreamReader(bytes);
}

}  // namespace corvane::xml
