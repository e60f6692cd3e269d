// The forward-only reader over XmlLite. mingw has no import library for xmllite.dll, so its one
// entry point is looked up at run time.
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <xmllite.h>

#include "feedstore/FeedStoreError.h"
#include "feedstore/XmlStreamReader.h"
#include "platform/ComPtr.h"
#include "platform/WideFormat.h"
#include "platform/Win32Text.h"

namespace corvane::xml {
namespace {

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

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

class XmlLiteStreamReader final : public StreamReader {
  public:
    explicit XmlLiteStreamReader(ComPtr<IXmlReader> reader) : reader_(std::move(reader)) {}

    StreamNode read() override {
        XmlNodeType type = XmlNodeType_None;
        const HRESULT hr = reader_->Read(&type);
        if (hr == S_FALSE) return StreamNode::End;
        if (hr != S_OK) fail(hr);
        switch (type) {
            case XmlNodeType_Element:
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

  private:
    [[noreturn]] void fail(HRESULT hr) {
        UINT line = 0;
        reader_->GetLineNumber(&line);
        throw FeedStoreError(
            static_cast<Status>(hr),
            formatWide(u"The XML reader stopped with 0x%08X in line %u", static_cast<uint32_t>(hr), line));
    }

    ComPtr<IXmlReader> reader_;
};

}  // namespace

std::unique_ptr<StreamReader> openStreamReader(std::u16string_view path) {
    CreateXmlReaderFunction create = createXmlReaderFunction();
    if (!create) return nullptr;
    const std::wstring file = toWide(path);
    ComPtr<IStream> stream;
    if (FAILED(SHCreateStreamOnFileEx(file.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL,
                                      FALSE, nullptr, stream.put())))
        return nullptr;
    ComPtr<IXmlReader> reader;
    if (FAILED(create(__uuidof(IXmlReader), reader.putVoid(), nullptr))) return nullptr;
    // Prohibit is the default; said here because a DTD must never be processed.
    if (FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return nullptr;
    if (FAILED(reader->SetInput(stream.get()))) return nullptr;
    return std::make_unique<XmlLiteStreamReader>(std::move(reader));
}

}  // namespace corvane::xml
