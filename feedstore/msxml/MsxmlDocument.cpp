// The XML document model over MSXML ("Msxml2.DOMDocument"), the reference the other backend follows.
#include <windows.h>
#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>
#include <shlwapi.h>

#include <cstring>

#include "feedstore/FeedStoreError.h"
#include "feedstore/XmlDocument.h"
#include "platform/ComPtr.h"
#include "platform/WideFormat.h"
#include "platform/Win32Text.h"

namespace corvane::xml {
namespace {

class Bstr {
  public:
    explicit Bstr(std::u16string_view text)
        : text_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                  static_cast<UINT>(text.size()))) {
        if (!text_) throw FeedStoreError(kStatusOutOfMemory, u"Out of memory");
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }
    operator BSTR() const { return text_; }

  private:
    BSTR text_;
};

// Takes ownership of a BSTR returned by a call.
std::u16string takeText(BSTR text) {
    std::u16string result(reinterpret_cast<const char16_t*>(text), text ? SysStringLen(text) : 0);
    SysFreeString(text);
    return result;
}

class Variant {
  public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }
    VARIANT* operator&() { return &value_; }
    VARIANT& get() { return value_; }

    static Variant text(std::u16string_view text) {
        Variant v;
        v.value_.vt = VT_BSTR;
        v.value_.bstrVal =
            SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
        if (!v.value_.bstrVal) throw FeedStoreError(kStatusOutOfMemory, u"Out of memory");
        return v;
    }
    static Variant unknown(IUnknown* object) {
        Variant v;
        v.value_.vt = VT_UNKNOWN;
        v.value_.punkVal = object;
        object->AddRef();
        return v;
    }
    Variant(Variant&& other) noexcept : value_(other.value_) { other.value_.vt = VT_EMPTY; }

  private:
    VARIANT value_;
};

std::u16string trimLineEnd(std::u16string text) {
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
        text.pop_back();
    return text;
}

// The failing object's own description when it left one, else the system's text for the code.
std::u16string describe(HRESULT hr) {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) == S_OK && info) {
        BSTR text = nullptr;
        if (SUCCEEDED(info->GetDescription(&text))) {
            std::u16string description = trimLineEnd(takeText(text));
            if (!description.empty()) return description;
        }
    }
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string description;
    if (length && buffer) description = trimLineEnd(fromWide(std::wstring_view(buffer, length)));
    LocalFree(buffer);
    if (description.empty()) description = formatWide(u"Error 0x%08X", static_cast<uint32_t>(hr));
    return description;
}

void check(HRESULT hr) {
    if (FAILED(hr)) throw FeedStoreError(hr, describe(hr));
}

class MsxmlHandle {
  public:
    virtual IXMLDOMNode* domNode() const = 0;

  protected:
    ~MsxmlHandle() = default;
};

NodePtr wrap(ComPtr<IXMLDOMNode> node);

// The node operations, shared by plain nodes and the document.
template <class Base>
class MsxmlNodeOps : public Base, public MsxmlHandle {
  public:
    NodePtr selectSingleNode(std::u16string_view path) override {
        ComPtr<IXMLDOMNode> found;
        check(domNode()->selectSingleNode(Bstr(path), found.put()));
        return found ? wrap(std::move(found)) : nullptr;
    }

    std::vector<NodePtr> selectNodes(std::u16string_view path) override {
        ComPtr<IXMLDOMNodeList> list;
        check(domNode()->selectNodes(Bstr(path), list.put()));
        std::vector<NodePtr> result;
        if (!list) return result;
        long length = 0;
        check(list->get_length(&length));
        result.reserve(static_cast<size_t>(length));
        for (long i = 0; i < length; ++i) {
            ComPtr<IXMLDOMNode> member;
            check(list->get_item(i, member.put()));
            if (member) result.push_back(wrap(std::move(member)));
        }
        return result;
    }

    std::u16string text() override {
        BSTR text = nullptr;
        check(domNode()->get_text(&text));
        return takeText(text);
    }

    bool isElement() const override {
        DOMNodeType type = NODE_INVALID;
        return SUCCEEDED(domNode()->get_nodeType(&type)) && type == NODE_ELEMENT;
    }

    std::optional<std::u16string> getAttribute(std::u16string_view name) override {
        Variant value;
        check(element()->getAttribute(Bstr(name), &value));
        if (value.get().vt != VT_BSTR) return std::nullopt;
        BSTR text = value.get().bstrVal;
        return std::u16string(reinterpret_cast<const char16_t*>(text), text ? SysStringLen(text) : 0);
    }

    void setAttribute(std::u16string_view name, std::u16string_view value) override {
        check(element()->setAttribute(Bstr(name), Variant::text(value).get()));
    }

    void appendChild(const NodePtr& child) override {
        auto* handle = dynamic_cast<const MsxmlHandle*>(child.get());
        if (!handle) throw FeedStoreError(kStatusInvalidArgument, u"The child is no node of this component");
        ComPtr<IXMLDOMNode> appended;
        check(domNode()->appendChild(handle->domNode(), appended.put()));
    }

  private:
    ComPtr<IXMLDOMElement> element() const {
        auto element = ComPtr<IXMLDOMNode>::share(domNode()).template as<IXMLDOMElement>(IID_IXMLDOMElement);
        if (!element) throw FeedStoreError(E_NOINTERFACE, u"The node is no element");
        return element;
    }
};

class MsxmlNode final : public MsxmlNodeOps<Node> {
  public:
    explicit MsxmlNode(ComPtr<IXMLDOMNode> node) : node_(std::move(node)) {}
    IXMLDOMNode* domNode() const override { return node_.get(); }

  private:
    ComPtr<IXMLDOMNode> node_;
};

NodePtr wrap(ComPtr<IXMLDOMNode> node) {
    return std::make_shared<MsxmlNode>(std::move(node));
}

// An in-memory stream over a copy of the bytes, read from its start.
ComPtr<IStream> streamOver(std::span<const uint8_t> bytes) {
    ComPtr<IStream> stream;
    check(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
    ULONG written = 0;
    if (!bytes.empty()) check(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    LARGE_INTEGER start{};
    check(stream->Seek(start, STREAM_SEEK_SET, nullptr));
    return stream;
}

class MsxmlDocument final : public MsxmlNodeOps<Document> {
  public:
    explicit MsxmlDocument(ComPtr<IXMLDOMDocument> document) : document_(std::move(document)) {
        check(document_->QueryInterface(IID_IXMLDOMNode, node_.putVoid()));
    }

    IXMLDOMNode* domNode() const override { return node_.get(); }

    void setValidateOnParse(bool validate) override {
        check(document_->put_validateOnParse(validate ? VARIANT_TRUE : VARIANT_FALSE));
    }
    void setResolveExternals(bool resolve) override {
        check(document_->put_resolveExternals(resolve ? VARIANT_TRUE : VARIANT_FALSE));
    }

    bool loadXml(std::u16string_view text) override {
        VARIANT_BOOL loaded = VARIANT_FALSE;
        HRESULT hr = document_->loadXML(Bstr(text), &loaded);
        return finishLoad(hr, loaded);
    }

    // MSXML reads a path handed to `load` as a URL, so a folder named "C# news" would not load;
    // through a file stream the path is only ever a file name.
    bool load(std::u16string_view path) override {
        check(document_->put_async(VARIANT_FALSE));
        ComPtr<IStream> file;
        HRESULT hr = SHCreateStreamOnFileEx(toWide(path).c_str(), STGM_READ | STGM_SHARE_DENY_NONE,
                                            FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, file.put());
        if (FAILED(hr)) return finishLoad(hr, VARIANT_FALSE, false);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        hr = document_->load(Variant::unknown(file.get()).get(), &loaded);
        return finishLoad(hr, loaded);
    }

    bool loadBytes(std::span<const uint8_t> bytes) override {
        ComPtr<IStream> stream = streamOver(bytes);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        HRESULT hr = document_->load(Variant::unknown(stream.get()).get(), &loaded);
        return finishLoad(hr, loaded);
    }

    ParseError parseError() override { return lastError_; }

    NodePtr createElement(std::u16string_view name) override {
        ComPtr<IXMLDOMElement> element;
        check(document_->createElement(Bstr(name), element.put()));
        return wrap(element.as<IXMLDOMNode>(IID_IXMLDOMNode));
    }

    NodePtr createTextNode(std::u16string_view text) override {
        ComPtr<IXMLDOMText> node;
        check(document_->createTextNode(Bstr(text), node.put()));
        return wrap(node.as<IXMLDOMNode>(IID_IXMLDOMNode));
    }

    std::string serialize() override {
        ComPtr<IStream> stream;
        check(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
        check(document_->save(Variant::unknown(stream.get()).get()));
        ULARGE_INTEGER end{};
        LARGE_INTEGER zero{};
        check(stream->Seek(zero, STREAM_SEEK_CUR, &end));
        HGLOBAL memory = nullptr;
        check(GetHGlobalFromStream(stream.get(), &memory));
        std::string bytes(static_cast<size_t>(end.QuadPart), '\0');
        if (!bytes.empty()) {
            const void* data = GlobalLock(memory);
            if (!data) check(HRESULT_FROM_WIN32(GetLastError()));
            std::memcpy(bytes.data(), data, bytes.size());
            GlobalUnlock(memory);
        }
        return bytes;
    }

  private:
    // A load that fails with an error status (no such file, among others) is a failed load, as a
    // document that is not well-formed is: the caller traces it and goes on with the empty document.
    bool finishLoad(HRESULT hr, VARIANT_BOOL loaded, bool parsed = true) {
        if (hr == S_OK && loaded == VARIANT_TRUE) {
            lastError_ = ParseError{};
            return true;
        }
        lastError_ = parsed ? readParseError() : ParseError{};
        if (lastError_.reason.empty())
            lastError_.reason = FAILED(hr) ? describe(hr) : u"The document could not be loaded";
        // A failed load from a stream keeps the old content; a failed loadXML always empties.
        VARIANT_BOOL ignored = VARIANT_FALSE;
        document_->loadXML(Bstr(u""), &ignored);
        return false;
    }

    ParseError readParseError() {
        ParseError result;
        ComPtr<IXMLDOMParseError> error;
        if (SUCCEEDED(document_->get_parseError(error.put())) && error) {
            BSTR reason = nullptr;
            if (SUCCEEDED(error->get_reason(&reason))) result.reason = trimLineEnd(takeText(reason));
            long line = 0;
            if (SUCCEEDED(error->get_line(&line))) result.line = static_cast<int32_t>(line);
        }
        return result;
    }

    ComPtr<IXMLDOMDocument> document_;
    ComPtr<IXMLDOMNode> node_;
    ParseError lastError_;
};

}  // namespace

DocumentPtr createDocumentObject() {
    CLSID clsid{};
    check(CLSIDFromProgID(L"Msxml2.DOMDocument", &clsid));
    ComPtr<IXMLDOMDocument> document;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, document.putVoid()));
    return std::make_shared<MsxmlDocument>(std::move(document));
}

}  // namespace corvane::xml
