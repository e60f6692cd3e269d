// The Windows baseline of opening a news folder: XmlLite alone reading every node of a file and
// taking each text's value, as the item store read must at least do. Prints the node count.
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <cstdio>

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane_xmllite_read FILE\n");
        return 2;
    }
    HMODULE library = LoadLibraryW(L"xmllite.dll");
    FARPROC entry = library ? GetProcAddress(library, "CreateXmlReader") : nullptr;
    if (!entry) {
        std::fprintf(stderr, "corvane_xmllite_read: no xmllite.dll\n");
        return 1;
    }
    auto create = reinterpret_cast<CreateXmlReaderFunction>(reinterpret_cast<void*>(entry));
    IStream* stream = nullptr;
    IXmlReader* reader = nullptr;
    if (FAILED(SHCreateStreamOnFileEx(argv[1], STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL,
                                      FALSE, nullptr, &stream)) ||
        FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr)) ||
        FAILED(reader->SetInput(stream))) {
        std::fprintf(stderr, "corvane_xmllite_read: cannot read the file\n");
        return 1;
    }
    unsigned long nodes = 0;
    unsigned long long characters = 0;
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr;
    while ((hr = reader->Read(&type)) == S_OK) {
        ++nodes;
        if (type == XmlNodeType_Text) {
            const WCHAR* value = nullptr;
            UINT length = 0;
            if (SUCCEEDED(reader->GetValue(&value, &length))) characters += length;
        }
    }
    reader->Release();
    stream->Release();
    if (FAILED(hr)) {
        std::fprintf(stderr, "corvane_xmllite_read: stopped with 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    std::printf("%lu nodes, %llu characters of text\n", nodes, characters);
    return 0;
}
