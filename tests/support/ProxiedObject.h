#pragma once
// Windows only: an object for the proxy/stub tests.
#include <windows.h>
#include <oaidl.h>

#include "server/ServerIds.h"

namespace corvane::testing {

// An object of the tests' own answering the two interfaces of the proxy/stub code, which no class of
// the library answers. IFolderImpl adds nothing to IDispatch, so its proxy delegates the four methods.
class ProxiedObject final : public IDispatch {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, IID_IFolderImpl) || IsEqualIID(riid, IID_INewsShellViewImpl)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refCount); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refCount); }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        callerThread = GetCurrentThreadId();
        *count = 7;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    volatile LONG refCount = 1;
    DWORD callerThread = 0;
};

}  // namespace corvane::testing
