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

void CNewsShellViewImpl::RefreshListFromCollection() {
    RSSObject& feed = *host_->Feed();
    RSSDatabase& collection = *host_->Collection();
    if (!feed.isConfigured()) {
        list.SetRowCount(1);
        return;
    }
    collection.sort(RSSDatabase::sortColumn, RSSDatabase::sortAscending);
    list.SetRowCount(collection.count());
    UpdateStatusText();
}

void CNewsShellViewImpl::ShowRow(int row) {
    list.SelectRow(row);
    if (RSSItem* item = host_->Collection()->itemAt(row)) page.ShowItem(*item);
}

void CNewsShellViewImpl::OnItemChanged(NMLISTVIEW* change) {
    if (change->hdr.hwndFrom != list.Window()) return;
    RSSItem* item = host_->Collection()->itemAt(change->iItem);
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
    RSSItem* item = host_->Collection()->itemAt(activate->iItem);
    if (!item || !options::isOn(feed, options::kOpenOnDoubleClick)) return;
    // Only web links leave for the browser: a file or script link from a feed is never run.
    if (isWebLink(item->link)) CurrentViewPrompts().openLink(normalizeLink(item->link));
}

void CNewsShellViewImpl::OnRightClick(NMHDR* header) {
    HWND listHeader = list.Window() ? ListView_GetHeader(list.Window()) : nullptr;
    if (header->hwndFrom != list.Window() && header->hwndFrom != listHeader) return;
    HMENU popup = CreatePopupMenu();
    if (!popup) return;
    if (header->hwndFrom == listHeader) {
        for (int kind = 1; kind < 4; ++kind) {
            wchar_t text[100] = L"";
            LoadStringW(module::Instance(), static_cast<UINT>(kColumnKinds[kind].headerStringId), text, 100);
            AppendMenuW(popup, MF_STRING | (list.IsColumnHidden(kind) ? 0u : MF_CHECKED),
                        kCommandColumnFirst + kind, text);
        }
    } else {
        UINT grayed = list.SelectedRows().empty() ? MF_GRAYED : 0u;
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
    UINT chosen = CurrentViewPrompts().trackMenu(popup, window_, at);
    DestroyMenu(popup);
    if (chosen) SendMessageW(window_, WM_COMMAND, chosen, 0);
}

LRESULT CNewsShellViewImpl::OnKeyDown(NMLVKEYDOWN* key) {
    if (key->hdr.hwndFrom != list.Window()) return 0;
    MSG asMessage{list.Window(), WM_KEYDOWN, key->wVKey, 0, 0, {}};
    if (TranslateReadKey(asMessage)) return 1;
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

void CNewsShellViewImpl::SetLabelOfSelection(int label) {
    std::vector<int> rows = list.SelectedRows();
    if (rows.empty()) return;
    messagelist::setLabel(*host_->Collection(), rows, label);
    unsaved_ = true;
    list.RedrawRows(rows);
}

void CNewsShellViewImpl::OnDeleteItemsFromMenu() {
    std::vector<int> rows = list.SelectedRows();
    if (rows.empty()) return;
    RSSObject& feed = *host_->Feed();
    if (messagelist::deleteAsksFirst(feed)) {
        std::wstring question = toWide(messagelist::kDeleteQuestion);
        if (CurrentViewPrompts().messageBox(window_, question.c_str(), L"Corvane", MB_YESNO) != IDYES) return;
    }
    RSSDatabase& collection = *host_->Collection();
    collection.remove(messagelist::itemsOfRows(collection, rows));
    unsaved_ = true;
    // The old selection named rows that now hold other messages.
    LVITEMW cleared{};
    cleared.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list.Window(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&cleared));
    RefreshListFromCollection();
    currentIndex = rowAfterDeletion(currentIndex, static_cast<int>(collection.count()));
    if (currentIndex >= 0) ShowRow(currentIndex);
}

}  // namespace corvane
