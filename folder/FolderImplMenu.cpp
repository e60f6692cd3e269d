// The context-menu role of CFolderImpl: the "Cor&vane" submenu of every folder.
#include "folder/FolderImpl.h"

#include <shellapi.h>

#include <vector>

#include "folder/ContextMenuSelection.h"
#include "folder/NewsFolder.h"
#include "platform/ComPtr.h"
#include "platform/Trace.h"
#include "platform/Win32Text.h"
#include "resources/ResourceIds.h"
#include "server/CorvaneModule.h"

namespace corvane {
namespace {

enum MenuCommand : UINT { kCommandCreate = 0, kCommandRemove = 1, kCommandAbout = 2, kCommandCount = 3 };

// The shell builds one menu at a time on one thread, so one selection serves every handler object.
struct ContextMenuSelection {
    std::vector<std::u16string> selectedPaths;
    ComPtr<IDataObject> dataObject;
    bool isNewsFolder = false;
};

ContextMenuSelection& selection() {
    static ContextMenuSelection state;
    return state;
}

bool askWithMessageBox(const std::wstring& question) {
    return MessageBoxW(nullptr, question.c_str(), L"Corvane", MB_YESNO) == IDYES;
}

CFolderImpl::RemoveConfirmation removeConfirmation = &askWithMessageBox;

std::wstring loadText(UINT id) {
    wchar_t text[RESOURCE_TEXT_LENGTH] = {};
    LoadStringW(theModule().Instance(), id, text, RESOURCE_TEXT_LENGTH);
    return text;
}

HRESULT readDroppedPaths(IDataObject* dataObject, std::vector<std::u16string>& paths) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(dataObject->GetData(&format, &medium))) return E_FAIL;
    auto drop = static_cast<HDROP>(medium.hGlobal);
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        wchar_t path[MAX_PATH] = {};
        DragQueryFileW(drop, i, path, MAX_PATH);
        paths.push_back(fromWide(path));
    }
    ReleaseStgMedium(&medium);
    return S_OK;
}

}  // namespace

void CFolderImpl::SetRemoveConfirmation(RemoveConfirmation confirmation) {
    removeConfirmation = confirmation ? confirmation : &askWithMessageBox;
}

STDMETHODIMP CFolderImpl::Initialize(PCIDLIST_ABSOLUTE, IDataObject* dataObject, HKEY) {
    try {
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
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP CFolderImpl::QueryContextMenu(HMENU menu, UINT index, UINT firstCommand, UINT, UINT flags) {
    const HRESULT nothing = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    try {
        if (flags & CMF_DEFAULTONLY) return nothing;
        HMENU popup = CreatePopupMenu();
        if (!popup) return nothing;
        bool news = selection().isNewsFolder;
        InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING | (news ? MF_GRAYED : 0),
                    firstCommand + kCommandCreate, loadText(IDS_MENU_CREATE).c_str());
        InsertMenuW(popup, 1, MF_BYPOSITION | MF_STRING | (news ? 0 : MF_GRAYED),
                    firstCommand + kCommandRemove, loadText(IDS_MENU_REMOVE).c_str());
        // Positions past the end append.
        InsertMenuW(popup, 5, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        InsertMenuW(popup, 6, MF_BYPOSITION | MF_STRING, firstCommand + kCommandAbout,
                    loadText(IDS_MENU_ABOUT).c_str());
        InsertMenuW(menu, index, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                    loadText(IDS_MENU_CORVANE).c_str());
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kCommandCount);
    } catch (...) {
        return nothing;
    }
}

STDMETHODIMP CFolderImpl::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    try {
        const ContextMenuSelection& state = selection();
        if (!info || state.selectedPaths.size() != 1) return S_OK;
        trace(u"CFolderImpl::InvokeCommand");
        auto verb = reinterpret_cast<uintptr_t>(info->lpVerb);
        // A verb string names none of our commands.
        if (verb >> 16 != 0) return S_OK;
        UINT command = LOWORD(verb);
        trace(u"Launching command %d", command);

        const std::u16string& path = state.selectedPaths.front();
        switch (command) {
            case kCommandCreate:
                folder::createNewsFolder(path);
                break;
            case kCommandRemove:
                if (removeConfirmation(toWide(folder::removeQuestion(path)))) folder::removeNewsFolder(path);
                break;
            case kCommandAbout:
                // The About box is not part of this library yet.
                break;
            default:
                break;
        }
    } catch (...) {
        traceError(u"CFolderImpl::InvokeCommand failed", static_cast<uint32_t>(E_UNEXPECTED));
    }
    return S_OK;
}

STDMETHODIMP CFolderImpl::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) {
    trace(u"CFolderImpl::GetCommandString");
    return E_INVALIDARG;
}

}  // namespace corvane
