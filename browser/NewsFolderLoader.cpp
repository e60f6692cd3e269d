#include "browser/NewsFolderLoader.h"

#include "folder/FolderClassGuid.h"
#include "platform/ItemIdList.h"
#include "platform/Trace.h"
#include "platform/Utf.h"
#include "platform/WideFormat.h"
#include "platform/Win32Text.h"

namespace corvane::browser {
namespace {

constexpr wchar_t kLibraryName[] = L"corvane.dll";

std::string hresultText(HRESULT status) {
    return toUtf8(formatWide(u"0x%08X", static_cast<uint32_t>(status)));
}

std::wstring libraryBesideProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return kLibraryName;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t separator = path.find_last_of(L"\\/");
    return (separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1)) + kLibraryName;
}

using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// Kept loaded for the rest of the process: the folder and its view live in it until the end.
HRESULT createFromLibrary(const std::wstring& path, IShellFolder** folder, std::string& problem) {
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) {
        problem = "the folder class is not registered and " + toUtf8(fromWide(path)) + " could not be loaded";
        return HRESULT_FROM_WIN32(GetLastError());
    }
    auto entry = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!entry) {
        problem = toUtf8(fromWide(path)) + " has no DllGetClassObject";
        return E_FAIL;
    }
    ComPtr<IClassFactory> factory;
    HRESULT status = entry(CLSID_FolderImpl, IID_IClassFactory, factory.putVoid());
    if (SUCCEEDED(status))
        status = factory->CreateInstance(nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder));
    if (FAILED(status))
        problem = toUtf8(fromWide(path)) + " did not make a news folder (" + hresultText(status) + ")";
    return status;
}

HMODULE& loadedModule() {
    static HMODULE module = nullptr;
    return module;
}

}  // namespace

LoadedFolder loadNewsFolder(std::u16string_view folderPath) {
    LoadedFolder loaded;
    HRESULT status = CoCreateInstance(CLSID_FolderImpl, nullptr, CLSCTX_INPROC_SERVER, IID_IShellFolder,
                                      loaded.folder.putVoid());
    if (SUCCEEDED(status)) {
        trace(u"loadNewsFolder: the registered folder class");
    } else {
        std::wstring library = libraryBesideProgram();
        trace(u"loadNewsFolder: folder class not registered (0x%08x), loading %s",
              static_cast<uint32_t>(status), fromWide(library));
        if (FAILED(createFromLibrary(library, loaded.folder.put(), loaded.problem))) {
            loaded.folder.reset();
            return loaded;
        }
    }
    loadedModule() = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(*reinterpret_cast<void**>(loaded.folder.get())),
                       &loadedModule());

    std::wstring path = toWide(folderPath);
    OwnedItemIdList pidl(ILCreateFromPathW(path.c_str()));
    if (!pidl) {
        loaded.folder.reset();
        loaded.problem = toUtf8(folderPath) + " cannot be opened by the shell";
        return loaded;
    }
    ComPtr<IPersistFolder> persist = loaded.folder.as<IPersistFolder>(IID_IPersistFolder);
    status = persist ? persist->Initialize(pidl.get()) : E_NOINTERFACE;
    pidl.reset();
    if (FAILED(status)) {
        loaded.folder.reset();
        loaded.problem =
            "the news folder " + toUtf8(folderPath) + " could not be opened (" + hresultText(status) + ")";
    }
    return loaded;
}

HMODULE folderClassModule() {
    return loadedModule();
}

}  // namespace corvane::browser
