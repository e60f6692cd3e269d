#include "server/TypeLibrary.h"

#include <oleauto.h>

#include "platform/ComPtr.h"
#include "platform/Trace.h"

namespace corvane {
namespace {

std::wstring withTlbExtension(const std::wstring& path) {
    size_t name = path.find_last_of(L"\\/");
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (name != std::wstring::npos && dot < name)) return path + L".tlb";
    return path.substr(0, dot) + L".tlb";
}

std::wstring directoryOf(const std::wstring& path) {
    size_t name = path.find_last_of(L"\\/");
    return name == std::wstring::npos ? std::wstring() : path.substr(0, name);
}

// The loaded library and the file it came from.
HRESULT loadModuleTypeLib(const std::wstring& modulePath, ComPtr<ITypeLib>& library,
                          std::wstring& loadedFrom) {
    loadedFrom = modulePath;
    HRESULT hr = LoadTypeLibEx(loadedFrom.c_str(), REGKIND_NONE, library.put());
    if (SUCCEEDED(hr)) return hr;
    loadedFrom = withTlbExtension(modulePath);
    hr = LoadTypeLibEx(loadedFrom.c_str(), REGKIND_NONE, library.put());
    if (FAILED(hr))
        traceError(u"cannot load the type library of %s", static_cast<uint32_t>(hr), modulePath.c_str());
    return hr;
}

}  // namespace

HRESULT RegisterModuleTypeLib(const std::wstring& modulePath) {
    ComPtr<ITypeLib> library;
    std::wstring loadedFrom;
    HRESULT hr = loadModuleTypeLib(modulePath, library, loadedFrom);
    if (FAILED(hr)) return hr;
    std::wstring helpDirectory = directoryOf(modulePath);
    // The API takes non-const texts it does not change.
    hr = RegisterTypeLib(library.get(), loadedFrom.data(),
                         helpDirectory.empty() ? nullptr : helpDirectory.data());
    if (FAILED(hr))
        traceError(u"cannot register the type library %s", static_cast<uint32_t>(hr), loadedFrom.c_str());
    return hr;
}

HRESULT UnregisterModuleTypeLib(const std::wstring& modulePath) {
    ComPtr<ITypeLib> library;
    std::wstring loadedFrom;
    HRESULT hr = loadModuleTypeLib(modulePath, library, loadedFrom);
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    // Unregistering what is not registered leaves the state asked for; the system's answer to that
    // differs between implementations, so look first.
    BSTR registeredPath = nullptr;
    if (SUCCEEDED(QueryPathOfRegTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                        attributes->lcid, &registeredPath))) {
        SysFreeString(registeredPath);
        hr = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                               attributes->lcid, attributes->syskind);
    }
    library->ReleaseTLibAttr(attributes);
    if (FAILED(hr))
        traceError(u"cannot unregister the type library %s", static_cast<uint32_t>(hr), loadedFrom.c_str());
    return hr;
}

}  // namespace corvane
