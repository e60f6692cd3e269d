#include "server/FolderClassFactory.h"

#include <shlwapi.h>

#include "folder/FolderImpl.h"
#include "platform/ComObject.h"
#include "platform/ModuleLock.h"

namespace corvane {

STDMETHODIMP CFolderClassFactory::QueryInterface(REFIID riid, void** ppv) {
    static const QITAB interfaces[] = {
        QITABENT(CFolderClassFactory, IClassFactory),
        {},
    };
    return queryInterfaceFromTable(this, interfaces, riid, ppv);
}

STDMETHODIMP_(ULONG) CFolderClassFactory::AddRef() {
    LONG count = InterlockedIncrement(&refCount_);
    if (count == 1) module::Lock();
    return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CFolderClassFactory::Release() {
    LONG count = InterlockedDecrement(&refCount_);
    if (count == 0) module::Unlock();
    return static_cast<ULONG>(count);
}

STDMETHODIMP CFolderClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    return CFolderImpl::CreateInstance(outer, riid, ppv);
}

STDMETHODIMP CFolderClassFactory::LockServer(BOOL lock) {
    if (lock)
        module::Lock();
    else
        module::Unlock();
    return S_OK;
}

}  // namespace corvane
