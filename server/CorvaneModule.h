#pragma once
// Windows only: the module object of corvane.dll, from load to unload of the library.

#include <windows.h>
#include <objidl.h>

#include <string>

#include "platform/ModuleLock.h"
#include "server/RegistryScript.h"

namespace corvane {

class CFolderClassFactory;

class CCorvaneModule {
  public:
    CCorvaneModule();
    virtual ~CCorvaneModule();
    CCorvaneModule(const CCorvaneModule&) = delete;
    CCorvaneModule& operator=(const CCorvaneModule&) = delete;

    // Every live folder object and view holds a lock, and so does each worker thread and the class
    // object while a client holds it. Callable from any thread.
    virtual LONG Lock();
    virtual LONG Unlock();
    virtual LONG GetLockCount();
    // The process's global interface table, made on first use.
    virtual HRESULT GetGITPtr(IGlobalInterfaceTable** table);
    // What every registration script of the module may name: MODULE, the library's full path.
    virtual HRESULT AddCommonReplacements(server::Replacements& replacements);

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
    CFolderClassFactory* folderFactory_ = nullptr;
    IGlobalInterfaceTable* globalInterfaceTable_ = nullptr;
};

CCorvaneModule& theModule();

}  // namespace corvane
