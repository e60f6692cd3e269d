// The four entry points of corvane.dll and its library entry point.
#include <windows.h>
#include <objbase.h>

#include "platform/ComCall.h"
#include "platform/WindowClass.h"
#include "resources/ResourceIds.h"
#include "server/CorvaneModule.h"
#include "server/ProxyStub.h"
#include "server/Registrar.h"
#include "server/ServerIds.h"
#include "server/TypeLibrary.h"

using corvane::comCall;
using corvane::theModule;

namespace {

// Registration runs under the system's default locale, whatever the caller's thread uses.
class SystemLocale {
  public:
    SystemLocale() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocale() { SetThreadLocale(saved_); }
    SystemLocale(const SystemLocale&) = delete;
    SystemLocale& operator=(const SystemLocale&) = delete;

  private:
    LCID saved_;
};

HRESULT folderScriptReplacements(corvane::server::Replacements& replacements) {
    HRESULT hr = theModule().AddCommonReplacements(replacements);
    if (FAILED(hr)) return hr;
    replacements.emplace_back(u"CLSID", corvane::kFolderClassId);
    replacements.emplace_back(u"TYPELIB", corvane::kCorvaneLibId);
    return S_OK;
}

HRESULT runFolderScript(bool registering) {
    corvane::server::Replacements replacements;
    HRESULT hr = folderScriptReplacements(replacements);
    if (FAILED(hr)) return hr;
    return corvane::RunRegistryScript(theModule().Instance(), IDR_FOLDERIMPL, registering, replacements);
}

// The folder class's script and the type library, under the system's locale, then the proxy/stub.
// The class has no component categories to register. The type library is done even when the script
// failed; the first failure is the answer.
HRESULT registerModule(bool registering) {
    HRESULT hr;
    {
        SystemLocale locale;
        hr = runFolderScript(registering);
        HRESULT typeLib = registering ? corvane::RegisterModuleTypeLib(theModule().ModulePath())
                                      : corvane::UnregisterModuleTypeLib(theModule().ModulePath());
        if (SUCCEEDED(hr)) hr = typeLib;
    }
    // Registering the proxy/stub first makes its removal complete whether or not the entries were there.
    if (SUCCEEDED(hr)) hr = PrxDllRegisterServer();
    if (SUCCEEDED(hr) && !registering) hr = PrxDllUnregisterServer();
    return FAILED(hr) ? hr : S_OK;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    theModule().SetInstance(instance);
    if (reason == DLL_PROCESS_ATTACH) {
        PrxDllMain(instance, reason, reserved);
        return theModule().InitFailed() ? FALSE : TRUE;
    }
    // Unloaded by FreeLibrary (not process exit): our classes must not outlive their procedures.
    if (reason == DLL_PROCESS_DETACH && !reserved) corvane::unregisterWindowClasses();
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return comCall(u"DllGetClassObject", [&] {
        // The proxy/stub factory answers for its own class identifier only.
        if (PrxDllGetClassObject(clsid, riid, ppv) == S_OK) return S_OK;
        *ppv = nullptr;
        return theModule().GetClassObject(clsid, riid, ppv);
    });
}

STDAPI DllCanUnloadNow() {
    if (PrxDllCanUnloadNow() != S_OK) return S_FALSE;
    return corvane::module::LockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return comCall(u"DllRegisterServer", [] { return registerModule(true); });
}

STDAPI DllUnregisterServer() {
    return comCall(u"DllUnregisterServer", [] { return registerModule(false); });
}
