// The forward-only reader over XmlLite. mingw has no import library for xmllite.dll, so its one
// entry point is looked up at run time.
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <vector>

#include "feedstore/FeedStoreError.h"
#include "feedstore/XmlByteScreen.h"
#include "feedstore/XmlStreamReader.h"
#include "platform/ComObject.h"
#include "platform/ComPtr.h"
#include "platform/WideFormat.h"
#include "platform/Win32Text.h"

namespace corvane::xml {
namespace {

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// XmlLite's default limit of element depth, kept.
constexpr uint64_t kMaxDepth = 256;

// Looked up once; the library stays loaded for the life of the process.
CreateXmlReaderFunction createXmlReaderFunction() {
    static const CreateXmlReaderFunction function = []() -> CreateXmlReaderFunction {
        HMODULE library = LoadLibraryW(L"xmllite.dll");
        if (!library) return nullptr;
        FARPROC entry = GetProcAddress(library, "CreateXmlReader");
        return reinterpret_cast<CreateXmlReaderFunction>(reinterpret_cast<void*>(entry));
    }();
    return function;
}

bool sameName(const WCHAR* name, UINT length, std::string_view wanted) {
    if (!name || length != wanted.size()) return false;
    for (UINT i = 0; i < length; ++i)
        if (name[i] != static_cast<WCHAR>(static_cast<unsigned char>(wanted[i]))) return false;
    return true;
}

// The file as XmlLite reads it, every byte passing the screen on its way.
class ScreenedFileStream final : public ComObject<ScreenedFileStream, ISequentialStream> {
  public:
    explicit ScreenedFileStream(HANDLE file) : file_(file) {}
    // The bytes in memory instead of a file; they must outlive the stream.
    explicit ScreenedFileStream(std::span<const uint8_t> bytes)
        : file_(INVALID_HANDLE_VALUE), memory_(bytes) {}
    ScreenedFileStream(const ScreenedFileStream&) = delete;
    ScreenedFileStream& operator=(const ScreenedFileStream&) = delete;

    const XmlByteScreen& screen() const { return screen_; }
    // Whether what the reader made of the file may differ from what the document model makes of it.
    bool flagged() const { return cutInsideText_ || screen_.flagged(); }
    uint64_t bytesDelivered() const { return delivered_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        static const QITAB interfaces[] = {
            QITABENT(ScreenedFileStream, ISequentialStream),
            {},
        };
        return queryInterfaceFromTable(this, interfaces, iid, object);
    }

    // Wine's XmlLite converts what a read gave it up to the last byte when that byte is ASCII, but
    // otherwise garbles the character the read ends in (seen near the 8 KB mark). So a read ends
    // after an ASCII byte, the rest held back for the next; a read without one is handed over whole
    // and the file flagged.
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* done) override {
        if (done) *done = 0;
        if (!buffer) return STG_E_INVALIDPOINTER;
        auto* out = static_cast<uint8_t*>(buffer);
        ULONG total = std::min<ULONG>(size, static_cast<ULONG>(held_.size()));
        std::copy_n(held_.begin(), total, out);
        held_.erase(held_.begin(), held_.begin() + total);
        if (total < size) {
            DWORD read = 0;
            if (file_ == INVALID_HANDLE_VALUE) {
                read = static_cast<DWORD>(std::min<size_t>(size - total, memory_.size()));
                std::copy_n(memory_.begin(), read, out + total);
                memory_ = memory_.subspan(read);
            } else if (!ReadFile(file_, out + total, size - total, &read, nullptr)) {
                return HRESULT_FROM_WIN32(GetLastError());
            }
            if (read == 0) endOfFile_ = true;
            total += read;
        }
        if (!endOfFile_ && total > 0 && out[total - 1] >= 0x80) {
            const ULONG end = deliverable(out, total);
            if (end == 0) {
                cutInsideText_ = true;
            } else {
                held_.insert(held_.begin(), out + end, out + total);
                total = end;
            }
        }
        screen_.feed(std::span(out, total));
        delivered_ += total;
        if (done) *done = total;
        return total == 0 ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

  private:
    friend class ComObject<ScreenedFileStream, ISequentialStream>;
    ~ScreenedFileStream() {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }

    // How many of the bytes to hand over: up to the last ASCII byte, or none when there is none.
    static ULONG deliverable(const uint8_t* bytes, ULONG size) {
        for (ULONG end = size; end > 0; --end)
            if (bytes[end - 1] < 0x80) return end;
        return 0;
    }

    HANDLE file_;
    std::span<const uint8_t> memory_;
    std::vector<uint8_t> held_;
    bool cutInsideText_ = false;
    bool endOfFile_ = false;
    uint64_t delivered_ = 0;
    XmlByteScreen screen_;
};

constexpr std::string_view kXmlnsUri = "http://www.w3.org/2000/xmlns/";

bool sameText(const WCHAR* text, UINT length, std::string_view wanted) {
    if (length == 0) return wanted.empty();
    return sameName(text, length, wanted);
}

class XmlLiteStreamReader final : public StreamReader {
  public:
    // A lenient reader reads a flagged file on and says so through vouchesForWellFormedness.
    XmlLiteStreamReader(ComPtr<IXmlReader> reader, ComPtr<ScreenedFileStream> stream, bool lenient = false)
        : reader_(std::move(reader)), stream_(std::move(stream)), lenient_(lenient) {}

    StreamNode read() override {
        XmlNodeType type = XmlNodeType_None;
        const HRESULT hr = reader_->Read(&type);
        // Whatever the reader made of a flagged file is not used; the document model reads it.
        const XmlByteScreen& screen = stream_->screen();
        if (stream_->flagged() && !lenient_) return StreamNode::Unsupported;
        // Every node but the end tags made up at the end of a cut-off file takes at least a byte; Wine's
        // XmlLite reports whitespace forever when a file ends inside an element.
        if (++nodes_ > stream_->bytesDelivered() + kMaxDepth) {
            if (!lenient_) return StreamNode::Unsupported;
            throw FeedStoreError(kStatusFail, u"The document ends inside an element");
        }
        if (hr == S_FALSE) {
            if (!screen.clean() || endTags_ != screen.endTags()) {
                if (!lenient_) return StreamNode::Unsupported;
                unvouched_ = true;
            }
            return StreamNode::End;
        }
        if (hr != S_OK) fail(hr);
        switch (type) {
            case XmlNodeType_Element:
                if (!isEmptyElement()) ++endTags_;
                if (hasRepeatedAttribute()) return StreamNode::Unsupported;
                return StreamNode::Element;
            case XmlNodeType_EndElement:
                return StreamNode::EndElement;
            case XmlNodeType_Text:
            case XmlNodeType_Whitespace:
                return StreamNode::Text;
            case XmlNodeType_CDATA:
                return StreamNode::CData;
            case XmlNodeType_DocumentType:
                return StreamNode::Unsupported;
            default:
                return StreamNode::Other;
        }
    }

    bool isNamed(std::string_view name) override {
        const WCHAR* qualified = nullptr;
        UINT length = 0;
        return SUCCEEDED(reader_->GetQualifiedName(&qualified, &length)) && sameName(qualified, length, name);
    }

    bool isEmptyElement() override { return reader_->IsEmptyElement() != FALSE; }

    void appendValue(std::u16string& out) override {
        const WCHAR* value = nullptr;
        UINT length = 0;
        const HRESULT hr = reader_->GetValue(&value, &length);
        if (FAILED(hr)) fail(hr);
        if (value) out.append(reinterpret_cast<const char16_t*>(value), length);
    }

    std::optional<std::u16string> attribute(std::string_view name) override {
        std::optional<std::u16string> found;
        for (HRESULT more = reader_->MoveToFirstAttribute(); more == S_OK;
             more = reader_->MoveToNextAttribute()) {
            if (!isNamed(name)) continue;
            found.emplace();
            appendValue(*found);
            break;
        }
        reader_->MoveToElement();
        return found;
    }

    bool isNamedNs(std::string_view localName, std::string_view uri) override {
        const WCHAR* name = nullptr;
        UINT nameLength = 0;
        const WCHAR* space = nullptr;
        UINT spaceLength = 0;
        return SUCCEEDED(reader_->GetLocalName(&name, &nameLength)) &&
               sameName(name, nameLength, localName) &&
               SUCCEEDED(reader_->GetNamespaceUri(&space, &spaceLength)) && sameText(space, spaceLength, uri);
    }

    std::u16string localName() override {
        const WCHAR* name = nullptr;
        UINT length = 0;
        if (FAILED(reader_->GetLocalName(&name, &length)) || !name) return {};
        return std::u16string(reinterpret_cast<const char16_t*>(name), length);
    }

    std::optional<std::u16string> attributeNs(std::string_view localName, std::string_view uri) override {
        std::optional<std::u16string> found;
        for (HRESULT more = reader_->MoveToFirstAttribute(); more == S_OK;
             more = reader_->MoveToNextAttribute()) {
            if (!isNamedNs(localName, uri)) continue;
            found.emplace();
            appendValue(*found);
            break;
        }
        reader_->MoveToElement();
        return found;
    }

    std::vector<Attribute> attributes() override {
        std::vector<Attribute> found;
        for (HRESULT more = reader_->MoveToFirstAttribute(); more == S_OK;
             more = reader_->MoveToNextAttribute()) {
            const WCHAR* space = nullptr;
            UINT spaceLength = 0;
            if (FAILED(reader_->GetNamespaceUri(&space, &spaceLength))) continue;
            if (sameText(space, spaceLength, kXmlnsUri) || reader_->IsDefault()) continue;
            Attribute attribute;
            attribute.localName = localName();
            if (space) attribute.namespaceUri.assign(reinterpret_cast<const char16_t*>(space), spaceLength);
            appendValue(attribute.value);
            found.push_back(std::move(attribute));
        }
        reader_->MoveToElement();
        return found;
    }

    bool vouchesForWellFormedness() override { return !unvouched_ && !stream_->flagged(); }

  private:
    // A repeated attribute makes the document not well-formed; this reader does not say so.
    bool hasRepeatedAttribute() {
        UINT count = 0;
        if (FAILED(reader_->GetAttributeCount(&count)) || count < 2) return false;
        std::vector<std::wstring> names;
        for (HRESULT more = reader_->MoveToFirstAttribute(); more == S_OK;
             more = reader_->MoveToNextAttribute()) {
            const WCHAR* name = nullptr;
            UINT length = 0;
            if (SUCCEEDED(reader_->GetQualifiedName(&name, &length))) names.emplace_back(name, length);
        }
        reader_->MoveToElement();
        std::sort(names.begin(), names.end());
        return std::adjacent_find(names.begin(), names.end()) != names.end();
    }

    [[noreturn]] void fail(HRESULT hr) {
        UINT line = 0;
        reader_->GetLineNumber(&line);
        throw FeedStoreError(
            static_cast<Status>(hr),
            formatWide(u"The XML reader stopped with 0x%08X in line %u", static_cast<uint32_t>(hr), line));
    }

    ComPtr<IXmlReader> reader_;
    ComPtr<ScreenedFileStream> stream_;
    // End tags of the elements reported: each must stand in the file.
    size_t endTags_ = 0;
    uint64_t nodes_ = 0;
    bool lenient_ = false;
    bool unvouched_ = false;
};

// A reader over the stream, or null when XmlLite cannot be had or refuses a setting.
ComPtr<IXmlReader> readerOn(ScreenedFileStream* stream) {
    CreateXmlReaderFunction create = createXmlReaderFunction();
    if (!create) return nullptr;
    ComPtr<IXmlReader> reader;
    if (FAILED(create(__uuidof(IXmlReader), reader.putVoid(), nullptr))) return nullptr;
    // Prohibit is the default; said here because a DTD must never be processed.
    if (FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return nullptr;
    if (FAILED(reader->SetInput(stream))) return nullptr;
    return reader;
}

}  // namespace

std::unique_ptr<StreamReader> openStreamReader(std::span<const uint8_t> bytes) {
    ComPtr<ScreenedFileStream> stream(new (std::nothrow) ScreenedFileStream(bytes));
    if (!stream) return nullptr;
    ComPtr<IXmlReader> reader = readerOn(stream.get());
    if (!reader) return nullptr;
    return std::make_unique<XmlLiteStreamReader>(std::move(reader), std::move(stream), true);
}

std::unique_ptr<StreamReader> openStreamReader(std::u16string_view path) {
    CreateXmlReaderFunction create = createXmlReaderFunction();
    if (!create) return nullptr;
    HANDLE file = CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    ComPtr<ScreenedFileStream> stream(new (std::nothrow) ScreenedFileStream(file));
    if (!stream) {
        CloseHandle(file);
        return nullptr;
    }
    ComPtr<IXmlReader> reader;
    if (FAILED(create(__uuidof(IXmlReader), reader.putVoid(), nullptr))) return nullptr;
    // Prohibit is the default; said here because a DTD must never be processed.
    if (FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return nullptr;
    if (FAILED(reader->SetInput(stream.get()))) return nullptr;
    return std::make_unique<XmlLiteStreamReader>(std::move(reader), std::move(stream));
}

}  // namespace corvane::xml
