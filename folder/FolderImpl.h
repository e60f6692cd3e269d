#pragma once
// Windows only: the shell folder object of a news folder, and the context-menu handler of every
// folder (the same class in two roles that share nothing else).

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "feedstore/RSSDatabase.h"
#include "feedstore/RSSObject.h"
#include "platform/ItemIdList.h"
#include "platform/ModuleLock.h"
#include "retrieval/FeedWorkers.h"
#include "view/NewsFolderHost.h"

namespace corvane {

class CFolderImpl final : public IShellFolder,
                          public IPersistFolder2,
                          public IContextMenu,
                          public IShellExtInit,
                          private INewsFolderHost {
  public:
    // With an outer object, `riid` must be IID_IUnknown and the object's own IUnknown is returned.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv);

    // Asks whether Remove may go ahead; the product shows a message box.
    using RemoveConfirmation = bool (*)(const std::wstring& question);
    // Null restores the message box.
    static void SetRemoveConfirmation(RemoveConfirmation confirmation);
    // Shows the box that ends "Import feeds...", "Export feeds..." and "Update all feeds"; the
    // product shows a message box. Null restores it.
    using FeedsReport = void (*)(const std::wstring& text);
    static void SetFeedsReport(FeedsReport report);

    // The controlling object's IUnknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IShellFolder
    STDMETHODIMP ParseDisplayName(HWND owner, IBindCtx* bindContext, LPWSTR displayName, ULONG* eaten,
                                  PIDLIST_RELATIVE* pidl, ULONG* attributes) override;
    STDMETHODIMP EnumObjects(HWND owner, SHCONTF flags, IEnumIDList** enumerator) override;
    STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* bindContext, REFIID riid,
                              void** ppv) override;
    STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE pidl, IBindCtx* bindContext, REFIID riid,
                               void** ppv) override;
    STDMETHODIMP CompareIDs(LPARAM column, PCUIDLIST_RELATIVE first, PCUIDLIST_RELATIVE second) override;
    STDMETHODIMP CreateViewObject(HWND owner, REFIID riid, void** ppv) override;
    STDMETHODIMP GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY pidls, SFGAOF* attributes) override;
    STDMETHODIMP GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY pidls, REFIID riid,
                               UINT* reserved, void** ppv) override;
    STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF flags, STRRET* name) override;
    STDMETHODIMP SetNameOf(HWND owner, PCUITEMID_CHILD pidl, LPCWSTR name, SHGDNF flags,
                           PITEMID_CHILD* newPidl) override;

    // IPersist, IPersistFolder, IPersistFolder2
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidl) override;
    // A copy of the list Initialize accepted; S_FALSE and null before that. A file manager that is
    // handed the folder object (Wine's explorer) learns from it where to browse.
    STDMETHODIMP GetCurFolder(PIDLIST_ABSOLUTE* pidl) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstCommand, UINT lastCommand,
                                  UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name,
                                  UINT length) override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject, HKEY key) override;

    // What the view borrows; null until IPersistFolder::Initialize succeeded.
    RSSObject* GetRSSObject() const { return feed_.get(); }
    RSSDatabase* GetRSSDatabase() const { return database_.get(); }
    CRSSObjectInitializeThread& InitializeWorker() { return initializeWorker_; }
    CRSSObjectUpdateThread& UpdateWorker() { return updateWorker_; }

  private:
    // INewsFolderHost: what the news view borrows.
    IUnknown* HostObject() override { return controlling_; }
    RSSObject* Feed() override { return feed_.get(); }
    RSSDatabase* Collection() override { return database_.get(); }
    bool StartInitialLoad(RSSObjectThreadParams* params) override;
    std::optional<StoredItems> TakeLoadedItems() override { return initializeWorker_.TakeResult(); }
    bool StartUpdate(RSSObjectThreadParams* params) override;
    std::optional<FeedFetch> TakeUpdate() override { return updateWorker_.TakeResult(); }
    void LetWorkersGo(RSSObjectThreadParams* params) override;

    // The object's own IUnknown; the interfaces above go to the outer object when aggregated.
    class Inner final : public IUnknown {
      public:
        explicit Inner(CFolderImpl& folder) : folder_(folder) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

      private:
        CFolderImpl& folder_;
    };

    explicit CFolderImpl(IUnknown* outer);
    ~CFolderImpl();
    // The one way objects are made, for the class object and for BindToObject.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv);

    // First, so it is let go after everything else the folder holds.
    module::ScopedLock moduleLock_;
    Inner inner_{*this};
    IUnknown* controlling_;
    // The creator's reference, adopted by Create.
    LONG refCount_ = 1;
    OwnedItemIdList location_;
    std::unique_ptr<RSSObject> feed_;
    std::unique_ptr<RSSDatabase> database_;
    CRSSObjectInitializeThread initializeWorker_;
    CRSSObjectUpdateThread updateWorker_;
    // The record each worker's last run was started with.
    RSSObjectThreadParams* initializeParams_ = nullptr;
    RSSObjectThreadParams* updateParams_ = nullptr;
};

}  // namespace corvane
