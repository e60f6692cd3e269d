#pragma once
// Windows only: the class object of CFolderImpl. The module keeps the one instance for its whole
// life; client references only decide whether it holds a module lock.

#include <windows.h>
#include <unknwn.h>

namespace corvane {

class CFolderClassFactory final : public IClassFactory {
  public:
    CFolderClassFactory() = default;
    ~CFolderClassFactory() = default;
    CFolderClassFactory(const CFolderClassFactory&) = delete;
    CFolderClassFactory& operator=(const CFolderClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

  private:
    volatile LONG refCount_ = 0;
};

}  // namespace corvane
