#pragma once
// Windows only: the shell view of a news folder: the list and the page in a splitter, the merged
// "Cor&vane" menu, the status text, updates with the progress window, and the saved layout.

#include <windows.h>
#include <docobj.h>
#include <shlobj.h>

#include <memory>

#include "itempage/WebPageControl.h"
#include "platform/ComObject.h"
#include "platform/ComPtr.h"
#include "retrieval/UrlDownloader.h"
#include "view/HandOverHold.h"
#include "view/MainList.h"
#include "view/MessageFilter.h"
#include "view/NewsFolderHost.h"
#include "view/ProgressRelay.h"
#include "view/SplitterWindow.h"
#include "view/UpdateSchedule.h"

namespace corvane {

// The view's window class and its own message: progress waiting on the view's thread.
inline constexpr wchar_t kViewWindowClass[] = L"KtCorvane";
constexpr UINT WM_FEED_PROGRESS = WM_APP + 4;
// The timer after which the message shown in the page counts as read.
constexpr UINT_PTR kMarkReadTimer = 2;
// The timer that indexes the messages for the find bar while the window has nothing else to do.
constexpr UINT_PTR kFindIndexTimer = 3;
// The find bar's control id among the view window's children.
constexpr UINT kFindBarId = 1400;

class CNewsShellViewImpl final : public ComObject<CNewsShellViewImpl, IShellView, IOleCommandTarget>,
                                 private kturldownloader_eventhandler,
                                 private MessageTarget {
  public:
    static HRESULT CreateInstance(INewsFolderHost* folder, REFIID riid, void** ppv);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // IShellView
    STDMETHODIMP TranslateAccelerator(MSG* message) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP UIActivate(UINT state) override;
    STDMETHODIMP Refresh() override;
    STDMETHODIMP CreateViewWindow(IShellView* previous, LPCFOLDERSETTINGS settings, IShellBrowser* browser,
                                  RECT* rectangle, HWND* window) override;
    STDMETHODIMP DestroyViewWindow() override;
    STDMETHODIMP GetCurrentInfo(LPFOLDERSETTINGS settings) override;
    STDMETHODIMP AddPropertySheetPages(DWORD reserved, LPFNSVADDPROPSHEETPAGE add, LPARAM lParam) override;
    STDMETHODIMP SaveViewState() override;
    STDMETHODIMP SelectItem(PCUITEMID_CHILD pidl, SVSIF flags) override;
    STDMETHODIMP GetItemObject(UINT item, REFIID riid, void** ppv) override;

    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD options, VARIANT* in, VARIANT* out) override;

  private:
    friend class ComObject<CNewsShellViewImpl, IShellView, IOleCommandTarget>;
    explicit CNewsShellViewImpl(INewsFolderHost* folder);
    ~CNewsShellViewImpl();

    // kturldownloader_eventhandler, called on the update worker's thread.
    void OnStart(kturldownloader* downloader) override;
    bool OnProgress(kturldownloader* downloader) override;
    // MessageTarget: the workers' messages, posted to the view window.
    void post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // Open while the view shows a modal box or menu: the workers' hand-overs wait until it closes.
    class ModalScope {
      public:
        explicit ModalScope(CNewsShellViewImpl& view) : view_(view) { view_.hold_.boxOpened(); }
        ~ModalScope() { view_.ReleaseHeldHandOvers(); }
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

      private:
        CNewsShellViewImpl& view_;
    };
    void ReleaseHeldHandOvers() noexcept;

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate();
    void OnSize(int width, int height);
    LRESULT OnNotify(NMHDR* header);
    void OnCommand(UINT id);

    // Activation, status, saving.
    void RemoveMenus();
    void MergeMenus(UINT state);
    void UpdateStatusText();
    void SaveFeed();
    void ReadUIState();

    // The list.
    // Takes the collection's rows anew; the selected messages and the current one stay selected
    // wherever the sort puts them, unless `keepSelection` is false.
    // `itemsChanged` (a merge) has the find bar's filter fold the messages' texts again.
    void RefreshListFromCollection(bool keepSelection = true, bool itemsChanged = true);
    void SortKeepingSelection(int kind, bool ascending);
    void SelectItems(const std::vector<RSSItem*>& items, RSSItem* current);
    void OnItemChanged(NMLISTVIEW* change);
    void OnItemActivate(NMITEMACTIVATE* activate);
    void OnRightClick(NMHDR* header);
    LRESULT OnKeyDown(NMLVKEYDOWN* key);
    std::vector<RSSItem*> SelectedItems() const;
    void SetLabelOfSelection(int label);
    void SetLabelOfItems(const std::vector<RSSItem*>& items, int label);
    void OnDeleteItemsFromMenu();
    void DeleteItems(const std::vector<RSSItem*>& items);
    void ShowRow(int row);

    // Read state (NewsShellViewRead.cpp): a shown message becomes read after a delay, the read
    // commands and their keys, the commands' help in the status bar.
    void ArmMarkRead(const RSSItem& item);
    void OnMarkReadTimer();
    bool OnReadCommand(UINT id);
    void SetReadOfSelection(bool unread);
    void AppendReadCommands(HMENU popup);
    bool TranslateReadKey(const MSG& message);
    void OnMenuSelect(UINT id, UINT flags, HMENU menu);
    void ReadStateChanged();

    // The find bar (NewsShellViewFind.cpp): an edit control above the list, hidden until Ctrl+F or
    // "Find..."; while it is shown the list's rows are the filter's, and every row is mapped through it.
    void OpenFindBar();
    void CloseFindBar();
    void OnFindTextChanged();
    bool FindBarShown() const;
    bool TranslateFindKey(const MSG& message);
    // Tab and Shift+Tab: the list, the find bar when shown, the page, round.
    void MoveFocus(HWND from, bool backwards);
    void LayoutChildren(int width, int height);
    static LRESULT CALLBACK FindBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR data);
    // Indexes the messages for the find bar in slices while input is idle (timers come only then),
    // so that even the first keystroke into a large folder only compares.
    void ScheduleFindIndexing();
    void OnFindIndexTimer();
    // The message of a list row, through the filter.
    RSSItem* ItemOfListRow(int row) const;

    // Loading and updating.
    void OnFeedLoaded();
    void StartUpdate();
    void OnUpdateStarted();
    void OnProgressWaiting();
    void OnUpdateDone(WPARAM result);
    void CloseProgress();
    void OnSettings(bool repaint);

    CSplitterWindow* Splitter() const;

    UINT activationState = SVUIA_DEACTIVATE;
    FOLDERSETTINGS folderSettings{};
    HWND browserWindow = nullptr;
    HMENU menu = nullptr;
    CMainList list;
    std::unique_ptr<CSplitterWindow> splitter_;
    bool vertical = false;
    WebPageControl page;
    INewsFolderHost* const host_;
    ComPtr<IUnknown> folder;
    ComPtr<IShellBrowser> browser;
    ComPtr<IProgressDialog> progress;
    bool stateNotRead = false;
    int currentIndex = -1;
    std::unique_ptr<RSSObjectThreadParams> threadParams;

    HWND window_ = nullptr;
    UpdateSchedule schedule_;
    ProgressRelay relay_;
    HandOverHold hold_;
    // Set while the view selects rows itself: the page shows the current message once, at the end.
    bool selecting_ = false;
    // Labels, deletions, read state and merged messages not yet written to the folder's files.
    bool unsaved_ = false;
    // The message shown in the page that becomes read when the mark-read timer fires.
    std::u16string shownId_;
    // The find bar, its filter, and the selection it gives back when it closes.
    HWND findBar_ = nullptr;
    MessageFilter filter_;
    std::vector<RSSItem*> selectionBeforeFind_;
    RSSItem* currentBeforeFind_ = nullptr;
};

}  // namespace corvane
