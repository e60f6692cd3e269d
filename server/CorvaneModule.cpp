#include "server/CorvaneModule.h"

#include <new>

#include "platform/ModuleLock.h"
#include "retrieval/KtThread.h"
#include "server/FolderClassFactory.h"
#include "server/ServerIds.h"

namespace corvane {
namespace {

// A worker thread may outlive the folder that started it; the library must stay loaded for it.
void lockForWorker() {
    theModule().Lock();
}
void unlockForWorker() {
    theModule().Unlock();
}

}  // namespace

CCorvaneModule::CCorvaneModule() {
    initFailed_ = !InitializeCriticalSectionAndSpinCount(&guard_, 0);
    KtThread::SetThreadLifetimeHooks(&lockForWorker, &unlockForWorker);
}

CCorvaneModule::~CCorvaneModule() {
    delete folderFactory_;
    if (globalInterfaceTable_) globalInterfaceTable_->Release();
    if (!initFailed_) DeleteCriticalSection(&guard_);
}

LONG CCorvaneModule::Lock() {
    return module::Lock();
}

LONG CCorvaneModule::Unlock() {
    return module::Unlock();
}

LONG CCorvaneModule::GetLockCount() {
    return module::LockCount();
}

HRESULT CCorvaneModule::GetGITPtr(IGlobalInterfaceTable** table) {
    if (!table) return E_POINTER;
    *table = nullptr;
    if (initFailed_) return E_UNEXPECTED;
    HRESULT hr = S_OK;
    EnterCriticalSection(&guard_);
    if (!globalInterfaceTable_)
        hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&globalInterfaceTable_));
    if (SUCCEEDED(hr)) {
        *table = globalInterfaceTable_;
        globalInterfaceTable_->AddRef();
    }
    LeaveCriticalSection(&guard_);
    return hr;
}

std::wstring CCorvaneModule::ModulePath() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(Instance(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT CCorvaneModule::AddCommonReplacements(server::Replacements& replacements) {
    std::wstring path = ModulePath();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    replacements.emplace_back(u"MODULE", std::u16string(path.begin(), path.end()));
    return S_OK;
}

HRESULT CCorvaneModule::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_FolderImpl)) return CLASS_E_CLASSNOTAVAILABLE;
    if (initFailed_) return E_UNEXPECTED;
    EnterCriticalSection(&guard_);
    if (!folderFactory_) folderFactory_ = new (std::nothrow) CFolderClassFactory();
    CFolderClassFactory* factory = folderFactory_;
    LeaveCriticalSection(&guard_);
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, ppv);
}

CCorvaneModule& theModule() {
    static CCorvaneModule module;
    return module;
}

}  // namespace corvane
