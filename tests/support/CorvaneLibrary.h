#pragma once
// Windows only: the built corvane.dll, loaded into the test process, and its entry points.
#include <windows.h>
#include <objbase.h>

#include <string>

#include "support/WindowsPath.h"

namespace corvane::testing {

inline std::wstring corvaneDllPath() {
    return windowsPath(CORVANE_DLL);
}

class CorvaneLibrary {
  public:
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using NoArguments = HRESULT(STDAPICALLTYPE*)();

    CorvaneLibrary() : module_(LoadLibraryW(corvaneDllPath().c_str())) {}
    ~CorvaneLibrary() {
        if (module_) FreeLibrary(module_);
    }
    CorvaneLibrary(const CorvaneLibrary&) = delete;
    CorvaneLibrary& operator=(const CorvaneLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** ppv) const {
        return entry<GetClassObject>("DllGetClassObject")(clsid, riid, ppv);
    }
    HRESULT canUnloadNow() const { return entry<NoArguments>("DllCanUnloadNow")(); }
    HRESULT registerServer() const { return entry<NoArguments>("DllRegisterServer")(); }
    HRESULT unregisterServer() const { return entry<NoArguments>("DllUnregisterServer")(); }

  private:
    template <class F>
    F entry(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    HMODULE module_;
};

}  // namespace corvane::testing
