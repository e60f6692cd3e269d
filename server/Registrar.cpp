#include "server/Registrar.h"

#include <string>

#include "platform/Trace.h"
#include "platform/Utf.h"
#include "platform/Win32Text.h"

namespace corvane {
namespace {

using server::RegistryAction;

HKEY rootKey(server::RegistryRoot root) {
    return root == server::RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
}

HRESULT fromError(LONG error) {
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error);
}

// Both kinds of removal count a missing key or value as done.
HRESULT ignoringMissing(LONG error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? S_OK : fromError(error);
}

// Owns one opened registry key.
class RegistryKey {
  public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY get() const { return key_; }
    HKEY* put() { return &key_; }

  private:
    HKEY key_ = nullptr;
};

const wchar_t* valueName(const std::wstring& name) {
    return name.empty() ? nullptr : name.c_str();
}

HRESULT carryOut(const RegistryAction& action) {
    HKEY root = rootKey(action.root);
    std::wstring key = toWide(action.key);
    std::wstring name = toWide(action.name);
    switch (action.kind) {
        case RegistryAction::Kind::DeleteTree:
            return ignoringMissing(RegDeleteTreeW(root, key.c_str()));
        case RegistryAction::Kind::SetValue: {
            RegistryKey opened;
            LONG error = RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE, nullptr, opened.put(), nullptr);
            if (error != ERROR_SUCCESS) return fromError(error);
            std::wstring data = toWide(action.data);
            return fromError(RegSetValueExW(opened.get(), valueName(name), 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(data.c_str()),
                                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))));
        }
        case RegistryAction::Kind::DeleteValue: {
            RegistryKey opened;
            LONG error = RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, opened.put());
            if (error != ERROR_SUCCESS) return ignoringMissing(error);
            return ignoringMissing(RegDeleteValueW(opened.get(), valueName(name)));
        }
    }
    return E_UNEXPECTED;
}

HRESULT loadScript(HINSTANCE module, UINT resourceId, std::u16string& script) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
    if (!found) return HRESULT_FROM_WIN32(GetLastError());
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return HRESULT_FROM_WIN32(GetLastError());
    script = fromUtf8(std::string_view(static_cast<const char*>(bytes), SizeofResource(module, found)));
    return S_OK;
}

}  // namespace

HRESULT RunRegistryScript(HINSTANCE module, UINT resourceId, bool registering,
                          const server::Replacements& replacements) {
    std::u16string text;
    HRESULT hr = loadScript(module, resourceId, text);
    if (FAILED(hr)) return hr;
    auto script = server::parseRegistryScript(text, replacements);
    if (!script) {
        traceError(u"registry script %d is malformed", static_cast<uint32_t>(E_UNEXPECTED), resourceId);
        return E_UNEXPECTED;
    }
    for (const RegistryAction& action :
         registering ? server::registrationActions(*script) : server::unregistrationActions(*script)) {
        hr = carryOut(action);
        if (FAILED(hr)) {
            traceError(u"registry action on %s failed", static_cast<uint32_t>(hr), action.key);
            return hr;
        }
    }
    return S_OK;
}

}  // namespace corvane
