// The context-menu role of CFolderImpl: the "Cor&vane" submenu of every folder.
#include "folder/FolderImpl.h"

#include <shellapi.h>

#include <vector>

#include "dialogs/DialogAbout.h"
#include "folder/FeedTree.h"
#include "folder/FolderFeedsCommands.h"
#include "folder/NewsFolder.h"
#include "folder/SelectionVerdict.h"
#include "platform/ComCall.h"
#include "platform/ComPtr.h"
#include "platform/ModuleLock.h"
#include "platform/Trace.h"
#include "platform/Win32Text.h"
#include "resources/ResourceIds.h"

namespace corvane {
namespace {

enum MenuCommand : UINT {
    kCommandCreate = 0,
    kCommandRemove = 1,
    kCommandAbout = 2,
    kCommandCount = 3,
    // A plain folder's commands on the news folders below it, offered when the range allows.
    kCommandImportFeeds = 3,
    kCommandExportFeeds = 4,
    kCommandUpdateAllFeeds = 5,
    kCommandCountWithFeeds = 6,
};

// The shell builds one menu at a time on one thread, so one selection serves every handler object.
struct ContextMenuSelection {
    std::vector<std::u16string> selectedPaths;
    ComPtr<IDataObject> dataObject;
    bool isNewsFolder = false;
    bool holdsNewsFolders = false;
};

ContextMenuSelection& selection() {
    static ContextMenuSelection state;
    return state;
}

bool askWithMessageBox(const std::wstring& question) {
    return MessageBoxW(nullptr, question.c_str(), L"Corvane", MB_YESNO) == IDYES;
}

CFolderImpl::RemoveConfirmation removeConfirmation = &askWithMessageBox;

void reportWithMessageBox(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), L"Corvane", MB_OK | MB_ICONINFORMATION);
}

CFolderImpl::FeedsReport feedsReport = &reportWithMessageBox;

std::wstring loadText(UINT id) {
    wchar_t text[RESOURCE_TEXT_LENGTH] = {};
    LoadStringW(module::Instance(), id, text, RESOURCE_TEXT_LENGTH);
    return text;
}

// Releases the medium whatever happens while it is read.
class StorageMedium {
  public:
    StorageMedium() = default;
    ~StorageMedium() {
        if (medium_.tymed != TYMED_NULL) ReleaseStgMedium(&medium_);
    }
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;
    STGMEDIUM* get() { return &medium_; }

  private:
    STGMEDIUM medium_ = {};
};

HRESULT readDroppedPaths(IDataObject* dataObject, std::vector<std::u16string>& paths) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StorageMedium medium;
    if (FAILED(dataObject->GetData(&format, medium.get()))) return E_FAIL;
    // Anything but a memory handle is no file drop, whatever the data object claims.
    if (medium.get()->tymed != TYMED_HGLOBAL || !medium.get()->hGlobal) return E_FAIL;
    auto drop = static_cast<HDROP>(medium.get()->hGlobal);
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Read whole: a name cut at MAX_PATH may name another folder, which Create would then change.
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1)));
        paths.push_back(fromWide(path));
    }
    return S_OK;
}

}  // namespace

void CFolderImpl::SetRemoveConfirmation(RemoveConfirmation confirmation) {
    removeConfirmation = confirmation ? confirmation : &askWithMessageBox;
}

void CFolderImpl::SetFeedsReport(FeedsReport report) {
    feedsReport = report ? report : &reportWithMessageBox;
}

STDMETHODIMP CFolderImpl::Initialize(PCIDLIST_ABSOLUTE, IDataObject* dataObject, HKEY) {
    return comCall(u"CFolderImpl::Initialize (IShellExtInit)", [&]() -> HRESULT {
        ContextMenuSelection& state = selection();
        state.isNewsFolder = false;
        state.dataObject.reset();
        // Without a data object the previous selection is judged again.
        if (dataObject) {
            state.selectedPaths.clear();
            state.dataObject = ComPtr<IDataObject>::share(dataObject);
            if (FAILED(readDroppedPaths(dataObject, state.selectedPaths))) return E_FAIL;
        }
        folder::SelectionVerdict verdict = folder::judgeSelection(state.selectedPaths);
        if (!verdict.accepted) return E_FAIL;
        state.isNewsFolder = verdict.isNewsFolder;
        state.holdsNewsFolders =
            !verdict.isNewsFolder && folder::holdsNewsFolders(state.selectedPaths.front());
        return S_OK;
    });
}

STDMETHODIMP CFolderImpl::QueryContextMenu(HMENU menu, UINT index, UINT firstCommand, UINT lastCommand,
                                           UINT flags) {
    return comCall(u"CFolderImpl::QueryContextMenu", [&]() -> HRESULT {
        const HRESULT nothing = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        if (flags & CMF_DEFAULTONLY) return nothing;
        // Identifiers past the granted range belong to other handlers' commands.
        if (lastCommand < firstCommand || lastCommand - firstCommand < kCommandCount - 1) return nothing;
        HMENU popup = CreatePopupMenu();
        if (!popup) return nothing;
        bool news = selection().isNewsFolder;
        InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING | (news ? MF_GRAYED : 0),
                    firstCommand + kCommandCreate, loadText(IDS_MENU_CREATE).c_str());
        InsertMenuW(popup, 1, MF_BYPOSITION | MF_STRING | (news ? 0 : MF_GRAYED),
                    firstCommand + kCommandRemove, loadText(IDS_MENU_REMOVE).c_str());
        // Positions past the end append.
        InsertMenuW(popup, 5, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        const bool feeds = !news && lastCommand - firstCommand >= kCommandCountWithFeeds - 1;
        if (feeds) {
            InsertMenuW(popup, 6, MF_BYPOSITION | MF_STRING, firstCommand + kCommandImportFeeds,
                        loadText(IDS_MENU_IMPORT_FEEDS).c_str());
            if (selection().holdsNewsFolders) {
                InsertMenuW(popup, 7, MF_BYPOSITION | MF_STRING, firstCommand + kCommandExportFeeds,
                            loadText(IDS_MENU_EXPORT_FEEDS).c_str());
                InsertMenuW(popup, 8, MF_BYPOSITION | MF_STRING, firstCommand + kCommandUpdateAllFeeds,
                            loadText(IDS_MENU_UPDATE_ALL_FEEDS).c_str());
            }
            InsertMenuW(popup, 9, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        }
        InsertMenuW(popup, 10, MF_BYPOSITION | MF_STRING, firstCommand + kCommandAbout,
                    loadText(IDS_MENU_ABOUT).c_str());
        if (!InsertMenuW(menu, index, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                         loadText(IDS_MENU_CORVANE).c_str())) {
            DestroyMenu(popup);
            return nothing;
        }
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, feeds ? kCommandCountWithFeeds : kCommandCount);
    });
}

STDMETHODIMP CFolderImpl::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    return comCall(u"CFolderImpl::InvokeCommand", [&]() -> HRESULT {
        const ContextMenuSelection& state = selection();
        if (!info || state.selectedPaths.size() != 1) return S_OK;
        trace(u"CFolderImpl::InvokeCommand");
        auto verb = reinterpret_cast<uintptr_t>(info->lpVerb);
        // A verb string names none of our commands.
        if (verb >> 16 != 0) return S_OK;
        UINT command = LOWORD(verb);
        trace(u"Launching command %d", command);

        // A copy: while Remove's question is up (its box has no owner) the shell may open another menu,
        // and that menu's Initialize replaces the selection.
        const std::u16string path = state.selectedPaths.front();
        // The feeds commands are a plain folder's.
        if (command >= kCommandImportFeeds && state.isNewsFolder) return S_OK;
        switch (command) {
            case kCommandCreate:
                folder::createNewsFolder(path);
                break;
            case kCommandRemove:
                if (removeConfirmation(toWide(folder::removeQuestion(path)))) folder::removeNewsFolder(path);
                break;
            case kCommandAbout:
                ShowAboutDialog();
                break;
            case kCommandImportFeeds:
                ImportFeeds(info->hwnd, path, feedsReport);
                break;
            case kCommandExportFeeds:
                ExportFeeds(info->hwnd, path, feedsReport);
                break;
            case kCommandUpdateAllFeeds:
                UpdateAllFeeds(info->hwnd, path, feedsReport);
                break;
            default:
                break;
        }
        return S_OK;
    });
}

STDMETHODIMP CFolderImpl::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) {
    trace(u"CFolderImpl::GetCommandString");
    return E_INVALIDARG;
}

}  // namespace corvane
