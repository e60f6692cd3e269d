#pragma once
// Windows only: what every COM object of ours does the same way: its reference count and module
// lock, QueryInterface from a QITAB table, and the one creation path.

#include <windows.h>
#include <shlwapi.h>

#include "platform/ComPtr.h"
#include "platform/ModuleLock.h"

namespace corvane {

// The base of a COM object `T` with its `Interfaces`: AddRef and Release for all of them, one
// reference at creation, interlocked counting (harmless for apartment objects, needed where a
// worker's thread may hold one), destruction at the last Release, and the module lock held for the
// object's whole life, let go after all of T's members. T answers QueryInterface from its table
// (queryInterfaceFromTable); a T with a private destructor befriends ComObject.
template <class T, class... Interfaces>
class ComObject : public Interfaces... {
  public:
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete static_cast<T*>(this);
        return static_cast<ULONG>(left);
    }

  protected:
    ComObject() = default;
    ~ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

  private:
    module::ScopedLock moduleLock_;
    LONG references_ = 1;
};

// QueryInterface answered from a QITAB table: the output null first, exactly the listed interfaces,
// a reference added only on success.
template <class T>
HRESULT queryInterfaceFromTable(T* object, const QITAB* table, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return QISearch(object, table, riid, ppv);
}

// The one creation path: `created` comes from `new (std::nothrow)` and its first reference is held by
// a smart pointer across the query, so a failed query destroys it.
template <class T>
HRESULT queryCreatedObject(T* created, REFIID riid, void** ppv) {
    ComPtr<T> object(created);
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!object) return E_OUTOFMEMORY;
    return object->QueryInterface(riid, ppv);
}

}  // namespace corvane
