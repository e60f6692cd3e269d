// The forward-only reader over libxml2's text reader.
#include <fcntl.h>
#include <unistd.h>

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <cstring>
#include <mutex>

#include "feedstore/FeedStoreError.h"
#include "feedstore/XmlStreamReader.h"
#include "platform/Utf.h"

namespace corvane::xml {
namespace {

// Never NOENT, DTDLOAD, DTDVALID or DTDATTR: each makes libxml2 read external entities or DTDs.
constexpr int kReaderOptions = XML_PARSE_NONET;

bool sameName(const xmlChar* name, std::string_view wanted) {
    return name && std::strlen(reinterpret_cast<const char*>(name)) == wanted.size() &&
           std::memcmp(name, wanted.data(), wanted.size()) == 0;
}

class Libxml2StreamReader final : public StreamReader {
  public:
    Libxml2StreamReader(int fd, xmlTextReaderPtr reader) : fd_(fd), reader_(reader) {
        // The parser's complaints are kept for the error, not printed.
        xmlTextReaderSetStructuredErrorHandler(reader_, keepError, this);
    }
    Libxml2StreamReader(const Libxml2StreamReader&) = delete;
    Libxml2StreamReader& operator=(const Libxml2StreamReader&) = delete;
    ~Libxml2StreamReader() override {
        xmlFreeTextReader(reader_);
        close(fd_);
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
        const std::string_view text(reinterpret_cast<const char*>(value));
        if (out.empty())
            out = fromUtf8(text);
        else
            out += fromUtf8(text);
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
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    const int fd = open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    xmlTextReaderPtr reader = xmlReaderForFd(fd, nullptr, nullptr, kReaderOptions);
    if (!reader) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<Libxml2StreamReader>(fd, reader);
}

}  // namespace corvane::xml
