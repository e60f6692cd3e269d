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
    module::Lock();
}
void unlockForWorker() {
    module::Unlock();
}

}  // namespace

CCorvaneModule::CCorvaneModule() {
    initFailed_ = !InitializeCriticalSectionAndSpinCount(&guard_, 0);
    KtThread::SetThreadLifetimeHooks(&lockForWorker, &unlockForWorker);
}

CCorvaneModule::~CCorvaneModule() {
    folderFactory_.reset();
    if (!initFailed_) DeleteCriticalSection(&guard_);
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
    if (!folderFactory_) folderFactory_.reset(new (std::nothrow) CFolderClassFactory());
    CFolderClassFactory* factory = folderFactory_.get();
    LeaveCriticalSection(&guard_);
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, ppv);
}

CCorvaneModule& theModule() {
    static CCorvaneModule module;
    return module;
}

}  // namespace corvane
