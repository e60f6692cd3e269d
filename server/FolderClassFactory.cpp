#include "server/FolderClassFactory.h"

#include "folder/FolderImpl.h"
#include "server/CorvaneModule.h"

namespace corvane {

STDMETHODIMP CFolderClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CFolderClassFactory::AddRef() {
    LONG count = InterlockedIncrement(&refCount_);
    if (count == 1) theModule().Lock();
    return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CFolderClassFactory::Release() {
    LONG count = InterlockedDecrement(&refCount_);
    if (count == 0) theModule().Unlock();
    return static_cast<ULONG>(count);
}

STDMETHODIMP CFolderClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // An aggregated object is handed out only as its own (non-delegating) IUnknown.
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return CFolderImpl::CreateInstance(outer, riid, ppv);
}

STDMETHODIMP CFolderClassFactory::LockServer(BOOL lock) {
    if (lock)
        theModule().Lock();
    else
        theModule().Unlock();
    return S_OK;
}

}  // namespace corvane
