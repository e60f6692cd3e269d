// The news view's handling of the message list: selection, activation, menus, labels, deletion.

#include "feedstore/Options.h"
#include "itempage/WebLink.h"
#include "platform/ModuleLock.h"
#include "platform/Win32Text.h"
#include "view/MessageList.h"
#include "view/NewsShellViewImpl.h"
#include "view/UpdateSchedule.h"
#include "view/ViewPrompts.h"

namespace corvane {

RSSItem* CNewsShellViewImpl::ItemOfListRow(int row) const {
    return messagelist::itemOfRow(*host_->Feed(), *host_->Collection(), filter_.collectionRow(row));
}

void CNewsShellViewImpl::RefreshListFromCollection(bool keepSelection, bool itemsChanged) {
    RSSObject& feed = *host_->Feed();
    RSSDatabase& collection = *host_->Collection();
    if (!feed.isConfigured()) {
        // The one row carries no message: nothing stays selected, no page stays shown.
        currentIndex = -1;
        if (FindBarShown()) ShowWindow(findBar_, SW_HIDE);
        filter_.clear();
        SelectItems({}, nullptr);
        page.ShowNothing();
        list.SetRowCount(1);
        UpdateStatusText();
        return;
    }
    std::vector<RSSItem*> selected = keepSelection ? SelectedItems() : std::vector<RSSItem*>{};
    // Only a row the list showed names a message; a row remembered from the view state before the
    // first load stays a row.
    RSSItem* current =
        keepSelection && currentIndex < list.RowCount() ? ItemOfListRow(currentIndex) : nullptr;
    collection.sort(RSSDatabase::sortColumn, RSSDatabase::sortAscending);
    // The find bar's query stays: the new order, and any new message that matches, filtered again.
    filter_.refresh(collection, itemsChanged);
    list.SetRowCount(filter_.rowCount(collection));
    // Rows are numbers: after a merge or a sort they name other messages unless set again.
    if (!selected.empty() || current) SelectItems(selected, current);
    UpdateStatusText();
    ScheduleFindIndexing();
}

void CNewsShellViewImpl::SortKeepingSelection(int kind, bool ascending) {
    std::vector<RSSItem*> selected = SelectedItems();
    RSSItem* current = ItemOfListRow(currentIndex);
    list.SetSort(kind, ascending);
    filter_.refresh(*host_->Collection(), false);
    if (!selected.empty() || current) SelectItems(selected, current);
    ScheduleFindIndexing();
}

void CNewsShellViewImpl::SelectItems(const std::vector<RSSItem*>& items, RSSItem* current) {
    HWND listWindow = list.Window();
    if (!listWindow) return;
    RSSDatabase& collection = *host_->Collection();
    selecting_ = true;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(listWindow, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    std::vector<int> rows = filter_.listRows(messagelist::rowsOfItems(collection, items));
    state.stateMask = state.state = LVIS_SELECTED;
    if (!rows.empty() && rows.size() == filter_.rowCount(collection))
        SendMessageW(listWindow, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    else
        for (int row : rows)
            SendMessageW(listWindow, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    selecting_ = false;
    std::vector<int> currentRows = filter_.listRows(messagelist::rowsOfItems(collection, {current}));
    if (current) currentIndex = currentRows.empty() ? -1 : currentRows.front();
    if (currentIndex < 0) return;
    state.stateMask = state.state = LVIS_FOCUSED;
    SendMessageW(listWindow, LVM_SETITEMSTATE, currentIndex, reinterpret_cast<LPARAM>(&state));
}

void CNewsShellViewImpl::ShowRow(int row) {
    list.SelectRow(row);
    if (RSSItem* item = ItemOfListRow(row)) page.ShowItem(*item);
}

void CNewsShellViewImpl::OnItemChanged(NMLISTVIEW* change) {
    if (change->hdr.hwndFrom != list.Window() || selecting_) return;
    RSSItem* item = ItemOfListRow(change->iItem);
    if (!item) return;
    currentIndex = change->iItem;
    page.ShowItem(*item);
    ArmMarkRead(*item);
}

void CNewsShellViewImpl::OnItemActivate(NMITEMACTIVATE* activate) {
    if (activate->hdr.hwndFrom != list.Window()) return;
    RSSObject& feed = *host_->Feed();
    if (!feed.isConfigured() && activate->iItem == 0) {
        OnSettings(false);
        return;
    }
    RSSItem* item = ItemOfListRow(activate->iItem);
    if (!item || !options::isOn(feed, options::kOpenOnDoubleClick)) return;
    // Only web links leave for the browser: a file or script link from a feed is never run.
    if (isWebLink(item->link)) CurrentViewPrompts().openLink(normalizeLink(item->link));
}

void CNewsShellViewImpl::OnRightClick(NMHDR* header) {
    HWND listHeader = list.Window() ? ListView_GetHeader(list.Window()) : nullptr;
    if (header->hwndFrom != list.Window() && header->hwndFrom != listHeader) return;
    HMENU popup = CreatePopupMenu();
    if (!popup) return;
    std::vector<RSSItem*> menuItems;
    if (header->hwndFrom == listHeader) {
        for (int kind = 1; kind < 4; ++kind) {
            wchar_t text[100] = L"";
            LoadStringW(module::Instance(), static_cast<UINT>(kColumnKindInfo[kind].headerStringId), text,
                        100);
            AppendMenuW(popup, MF_STRING | (list.IsColumnHidden(kind) ? 0u : MF_CHECKED),
                        kCommandColumnFirst + kind, text);
        }
    } else {
        // The menu acts on the messages selected when it opened, wherever they are when it closes.
        menuItems = SelectedItems();
        UINT grayed = menuItems.empty() ? MF_GRAYED : 0u;
        HMENU labels = CreatePopupMenu();
        const RSSObject& feed = *host_->Feed();
        for (int label = 0; label < messagelist::kLabelCount; ++label) {
            AppendMenuW(labels, MF_STRING, kCommandLabelFirst + label,
                        toWide(options::labelTitle(feed, label)).c_str());
            if (label == 0) AppendMenuW(labels, MF_SEPARATOR, 0, nullptr);
        }
        AppendMenuW(popup, MF_POPUP | grayed, reinterpret_cast<UINT_PTR>(labels), L"&Label");
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(popup, MF_STRING | grayed, kCommandDelete, L"&Delete");
        AppendReadCommands(popup);
    }
    POINT at{};
    GetCursorPos(&at);
    UINT chosen = 0;
    {
        ModalScope modal(*this);
        chosen = CurrentViewPrompts().trackMenu(popup, window_, at);
    }
    DestroyMenu(popup);
    // The host destroyed the view's window while the menu was open: nothing is left to act in.
    if (!window_) return;
    if (chosen >= kCommandLabelFirst && chosen < kCommandLabelFirst + messagelist::kLabelCount)
        SetLabelOfItems(menuItems, static_cast<int>(chosen - kCommandLabelFirst));
    else if (chosen == kCommandDelete)
        DeleteItems(menuItems);
    else if (chosen)
        SendMessageW(window_, WM_COMMAND, chosen, 0);
}

LRESULT CNewsShellViewImpl::OnKeyDown(NMLVKEYDOWN* key) {
    if (key->hdr.hwndFrom != list.Window()) return 0;
    MSG asMessage{list.Window(), WM_KEYDOWN, key->wVKey, 0, 0, {}};
    if (TranslateReadKey(asMessage) || TranslateFindKey(asMessage)) return 1;
    if (auto label = messagelist::labelForKey(key->wVKey)) {
        SetLabelOfSelection(*label);
        return 1;
    }
    if (key->wVKey == VK_DELETE) {
        OnDeleteItemsFromMenu();
        return 1;
    }
    return 0;
}

std::vector<RSSItem*> CNewsShellViewImpl::SelectedItems() const {
    return messagelist::itemsOfSelection(*host_->Feed(), *host_->Collection(),
                                         filter_.collectionRows(list.SelectedRows()));
}

void CNewsShellViewImpl::SetLabelOfSelection(int label) {
    SetLabelOfItems(SelectedItems(), label);
}

void CNewsShellViewImpl::SetLabelOfItems(const std::vector<RSSItem*>& items, int label) {
    std::vector<int> rows = filter_.listRows(messagelist::rowsOfItems(*host_->Collection(), items));
    if (rows.empty()) return;
    messagelist::setLabel(items, label);
    unsaved_ = true;
    list.RedrawRows(rows);
}

void CNewsShellViewImpl::OnDeleteItemsFromMenu() {
    DeleteItems(SelectedItems());
}

void CNewsShellViewImpl::DeleteItems(const std::vector<RSSItem*>& items) {
    if (items.empty()) return;
    RSSObject& feed = *host_->Feed();
    if (messagelist::deleteAsksFirst(feed)) {
        std::wstring question = toWide(messagelist::kDeleteQuestion);
        ModalScope modal(*this);
        if (CurrentViewPrompts().messageBox(window_, question.c_str(), L"Corvane", MB_YESNO) != IDYES) return;
        // The question was asked of a view whose window the host destroyed while it was open.
        if (!window_) return;
    }
    RSSDatabase& collection = *host_->Collection();
    // Only what is still there: another view of the folder may have deleted some meanwhile.
    std::vector<RSSItem*> doomed;
    for (int row : messagelist::rowsOfItems(collection, items))
        doomed.push_back(collection.itemAt(row));
    if (doomed.empty()) return;
    // The filter and the selection the find bar gives back must not name destroyed messages.
    filter_.forget(doomed);
    std::erase_if(selectionBeforeFind_, [&](RSSItem* item) {
        return std::find(doomed.begin(), doomed.end(), item) != doomed.end();
    });
    if (std::find(doomed.begin(), doomed.end(), currentBeforeFind_) != doomed.end())
        currentBeforeFind_ = nullptr;
    collection.remove(doomed);
    unsaved_ = true;
    // The old selection named rows that now hold other messages.
    LVITEMW cleared{};
    cleared.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list.Window(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&cleared));
    RefreshListFromCollection(false, false);
    currentIndex = rowAfterDeletion(currentIndex, static_cast<int>(filter_.rowCount(collection)));
    if (currentIndex >= 0) ShowRow(currentIndex);
}

}  // namespace corvane
