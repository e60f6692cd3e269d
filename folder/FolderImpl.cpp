#include "folder/FolderImpl.h"

#include <shlwapi.h>

#include <new>

#include "folder/FolderClassGuid.h"
#include "folder/FolderSystem.h"
#include "folder/NewsFolder.h"
#include "platform/ComCall.h"
#include "platform/ComObject.h"
#include "platform/ComPtr.h"
#include "platform/ModuleLock.h"
#include "platform/Trace.h"
#include "platform/Win32Text.h"
#include "view/NewsShellViewImpl.h"

namespace corvane {

CFolderImpl::CFolderImpl(IUnknown* outer) : controlling_(outer ? outer : &inner_) {
    trace(u"CFolderImpl constructor");
}

CFolderImpl::~CFolderImpl() {
    trace(u"CFolderImpl destructor");
    // The workers hold copies of what they read and hand results over only through the view, so
    // they are let go rather than waited for: a download blocked where it cannot be interrupted
    // must not freeze the window closing the folder. Each keeps its module lock until it ends.
    initializeWorker_.LetGo();
    updateWorker_.LetGo();
    feed_.reset();
    database_.reset();
}

HRESULT CFolderImpl::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // An aggregated object is handed out only as its own (non-delegating) IUnknown.
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return Create(outer, riid, ppv);
}

HRESULT CFolderImpl::Create(IUnknown* outer, REFIID riid, void** ppv) {
    CFolderImpl* folder = new (std::nothrow) CFolderImpl(outer);
    if (!folder) return E_OUTOFMEMORY;
    // Held across the query, so a failed query destroys the object.
    ComPtr<IUnknown> inner(&folder->inner_);
    return inner->QueryInterface(riid, ppv);
}

STDMETHODIMP CFolderImpl::Inner::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    static const QITAB interfaces[] = {
        QITABENT(CFolderImpl, IShellFolder),
        QITABENTMULTI(CFolderImpl, IPersistFolder, IPersistFolder2),
        QITABENT(CFolderImpl, IPersistFolder2),
        QITABENTMULTI(CFolderImpl, IPersist, IPersistFolder2),
        QITABENT(CFolderImpl, IContextMenu),
        QITABENT(CFolderImpl, IShellExtInit),
        {},
    };
    return queryInterfaceFromTable(&folder_, interfaces, riid, ppv);
}

STDMETHODIMP_(ULONG) CFolderImpl::Inner::AddRef() {
    return static_cast<ULONG>(++folder_.refCount_);
}

STDMETHODIMP_(ULONG) CFolderImpl::Inner::Release() {
    LONG count = --folder_.refCount_;
    if (count == 0) delete &folder_;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CFolderImpl::QueryInterface(REFIID riid, void** ppv) {
    return controlling_->QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CFolderImpl::AddRef() {
    return controlling_->AddRef();
}

STDMETHODIMP_(ULONG) CFolderImpl::Release() {
    return controlling_->Release();
}

STDMETHODIMP CFolderImpl::ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) {
    trace(u"CFolderImpl::ParseDisplayName");
    return E_NOTIMPL;
}

// A news folder has no items of its own in the namespace.
STDMETHODIMP CFolderImpl::EnumObjects(HWND, SHCONTF, IEnumIDList**) {
    return E_FAIL;
}

STDMETHODIMP CFolderImpl::BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx*, REFIID riid, void** ppv) {
    trace(u"CFolderImpl::BindToObject pidl = %d", static_cast<const void*>(pidl));
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    trace(u"CFolderImpl::_init");
    return Create(nullptr, riid, ppv);
}

STDMETHODIMP CFolderImpl::BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) {
    trace(u"CFolderImpl::BindToStorage");
    return E_NOTIMPL;
}

STDMETHODIMP CFolderImpl::CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) {
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
}

STDMETHODIMP CFolderImpl::CreateViewObject(HWND, REFIID riid, void** ppv) {
    trace(u"CFolderImpl::CreateViewObject");
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return comCall(u"CFolderImpl::CreateViewObject", [&]() -> HRESULT {
        if (!feed_) return E_UNEXPECTED;
        return CNewsShellViewImpl::CreateInstance(this, riid, ppv);
    });
}

bool CFolderImpl::StartInitialLoad(RSSObjectThreadParams* params) {
    if (!initializeWorker_.Start(params)) return false;
    initializeParams_ = params;
    return true;
}

bool CFolderImpl::StartUpdate(RSSObjectThreadParams* params) {
    if (!updateWorker_.Start(params)) return false;
    updateParams_ = params;
    return true;
}

void CFolderImpl::LetWorkersGo(RSSObjectThreadParams* params) {
    if (params && initializeParams_ == params) {
        initializeWorker_.LetGo();
        initializeParams_ = nullptr;
    }
    if (params && updateParams_ == params) {
        updateWorker_.LetGo();
        updateParams_ = nullptr;
    }
}

STDMETHODIMP CFolderImpl::GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF* attributes) {
    if (attributes) *attributes = 0;
    return S_OK;
}

STDMETHODIMP CFolderImpl::GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void** ppv) {
    if (ppv) *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CFolderImpl::GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF flags, STRRET* name) {
    trace(u"CFolderImpl::GetDisplayNameOf pidl = %d flags = %x, lpname = %d", static_cast<const void*>(pidl),
          static_cast<uint32_t>(flags), static_cast<const void*>(name));
    return E_NOTIMPL;
}

STDMETHODIMP CFolderImpl::SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) {
    trace(u"CFolderImpl::SetNameOf");
    return E_NOTIMPL;
}

STDMETHODIMP CFolderImpl::GetClassID(CLSID* clsid) {
    trace(u"CFolderImpl::GetClassID");
    if (!clsid) return E_POINTER;
    *clsid = CLSID_FolderImpl;
    return S_OK;
}

STDMETHODIMP CFolderImpl::Initialize(PCIDLIST_ABSOLUTE pidl) {
    return comCall(u"CFolderImpl::Initialize", [&]() -> HRESULT {
        // Views and workers borrow the feed object: a second call must not replace it under them.
        if (feed_) return E_UNEXPECTED;
        wchar_t path[MAX_PATH] = {};
        // A list without a file-system path leaves the buffer empty, which is no news folder.
        if (pidl && !SHGetPathFromIDListW(pidl, path)) path[0] = L'\0';
        std::u16string folder = fromWide(path);
        if (!folder::isNewsFolder(folder)) return E_FAIL;

        std::unique_ptr<RSSObject> feed = loadRSSObject(folder::joinPath(folder, folder::kSettingsFile),
                                                        folder::joinPath(folder, folder::kItemsFile));
        if (!feed) {
            traceError(u"!!can't init object", static_cast<uint32_t>(E_FAIL));
            return E_FAIL;
        }
        auto database = std::make_unique<RSSDatabase>(*feed);
        // Last, so that nothing can throw and lose the copy.
        OwnedItemIdList location(ILCloneFull(pidl));
        if (!location) return E_OUTOFMEMORY;
        feed_ = std::move(feed);
        database_ = std::move(database);
        location_ = std::move(location);
        return S_OK;
    });
}

STDMETHODIMP CFolderImpl::GetCurFolder(PIDLIST_ABSOLUTE* pidl) {
    if (!pidl) return E_POINTER;
    *pidl = nullptr;
    if (!location_) return S_FALSE;
    *pidl = ILCloneFull(location_.get());
    return *pidl ? S_OK : E_OUTOFMEMORY;
}

}  // namespace corvane
