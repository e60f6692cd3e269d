#pragma once
// Windows only: the module object of corvane.dll, from load to unload of the library. Its lock count
// and instance handle live below the shell objects, in platform/ModuleLock.h.

#include <windows.h>

#include <memory>
#include <string>

#include "platform/ModuleLock.h"
#include "server/RegistryScript.h"

namespace corvane {

class CFolderClassFactory;

class CCorvaneModule {
  public:
    CCorvaneModule();
    ~CCorvaneModule();
    CCorvaneModule(const CCorvaneModule&) = delete;
    CCorvaneModule& operator=(const CCorvaneModule&) = delete;

    // What every registration script of the module may name: MODULE, the library's full path.
    HRESULT AddCommonReplacements(server::Replacements& replacements);

    // The class object of `clsid`, made once under the guard and kept until unload.
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);

    // True when the guard could not be set up; the library then refuses to load.
    bool InitFailed() const { return initFailed_; }
    // The library's instance; the program's own when no library recorded one (tests link the code in).
    HINSTANCE Instance() const { return module::Instance(); }
    void SetInstance(HINSTANCE instance) { module::SetInstance(instance); }
    std::wstring ModulePath() const;

  private:
    CRITICAL_SECTION guard_{};
    bool initFailed_ = false;
    // Owned outright, not through its reference count: a client's reference is what locks the module,
    // and the module's own must not keep it loaded.
    std::unique_ptr<CFolderClassFactory> folderFactory_;
};

CCorvaneModule& theModule();

}  // namespace corvane
