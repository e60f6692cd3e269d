// The news view's read state: the shown message becomes read after a delay, the read commands of the
// menus and their keys, and the commands' help in the status bar.

#include "feedstore/ReadState.h"
#include "platform/ModuleLock.h"
#include "resources/ResourceIds.h"
#include "view/MessageList.h"
#include "view/NewsShellViewImpl.h"

namespace corvane {

void CNewsShellViewImpl::ArmMarkRead(const RSSItem& item) {
    // Each newly shown message starts the delay again, so arrowing through the list marks nothing.
    shownId_ = item.id;
    if (item.unread && window_) SetTimer(window_, kMarkReadTimer, messagelist::kMarkReadDelayMs, nullptr);
}

void CNewsShellViewImpl::OnMarkReadTimer() {
    KillTimer(window_, kMarkReadTimer);
    if (messagelist::markReadById(*host_->Feed(), shownId_)) ReadStateChanged();
}

void CNewsShellViewImpl::ReadStateChanged() {
    unsaved_ = true;
    if (list.Window()) InvalidateRect(list.Window(), nullptr, FALSE);
    UpdateStatusText();
}

void CNewsShellViewImpl::SetReadOfSelection(bool unread) {
    if (!host_->Feed()->isConfigured()) return;
    std::vector<RSSItem*> items =
        messagelist::itemsOfRows(*host_->Collection(), filter_.collectionRows(list.SelectedRows()));
    // A message marked unread while it is shown stays so until it is shown again.
    if (unread && window_) KillTimer(window_, kMarkReadTimer);
    if (setUnread(items, unread)) ReadStateChanged();
}

bool CNewsShellViewImpl::OnReadCommand(UINT id) {
    switch (id) {
        case ID_VIEW_MARK_READ:
            SetReadOfSelection(false);
            return true;
        case ID_VIEW_MARK_UNREAD:
            SetReadOfSelection(true);
            return true;
        case ID_VIEW_MARK_ALL_READ:
            if (host_->Feed()->isConfigured() && markAllRead(host_->Feed()->items)) ReadStateChanged();
            return true;
        default:
            return false;
    }
}

void CNewsShellViewImpl::AppendReadCommands(HMENU popup) {
    const bool selection = !list.SelectedRows().empty();
    const bool anyUnread = unreadCount(host_->Feed()->items) > 0;
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_STRING | (selection ? 0u : MF_GRAYED), ID_VIEW_MARK_READ, L"Mark as read");
    AppendMenuW(popup, MF_STRING | (selection ? 0u : MF_GRAYED), ID_VIEW_MARK_UNREAD, L"Mark as unread");
    AppendMenuW(popup, MF_STRING | (anyUnread ? 0u : MF_GRAYED), ID_VIEW_MARK_ALL_READ, L"Mark all as read");
}

bool CNewsShellViewImpl::TranslateReadKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    auto unread = messagelist::unreadForKey(static_cast<int>(message.wParam), GetKeyState(VK_CONTROL) < 0,
                                            GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0);
    if (!unread) return false;
    SetReadOfSelection(*unread);
    return true;
}

void CNewsShellViewImpl::OnMenuSelect(UINT id, UINT flags, HMENU menu) {
    if (activationState == SVUIA_DEACTIVATE || !browser) return;
    if (flags == 0xFFFF && !menu) {  // the menu closed: the view's own text again
        UpdateStatusText();
        return;
    }
    if (flags & (MF_POPUP | MF_SEPARATOR)) return;
    if (id < ID_VIEW_MARK_READ || id > ID_VIEW_FIND) return;
    wchar_t help[RESOURCE_TEXT_LENGTH] = L"";
    if (LoadStringW(module::Instance(), id, help, RESOURCE_TEXT_LENGTH) > 0) browser->SetStatusTextSB(help);
}

}  // namespace corvane
