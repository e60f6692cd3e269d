// The news view's window: its message map, its children, and the layout kept in the browser's stream.

#include "feedstore/Options.h"
#include "platform/ComCall.h"
#include "platform/ModuleLock.h"
#include "platform/Trace.h"
#include "resources/ResourceIds.h"
#include "view/MessageList.h"
#include "view/NewsShellViewImpl.h"
#include "view/ViewPrompts.h"
#include "view/ViewStateRecord.h"

namespace corvane {

LRESULT CNewsShellViewImpl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kMarkReadTimer) {
        OnMarkReadTimer();
        return 0;
    }
    if (message == WM_TIMER && wParam == kFindIndexTimer) {
        OnFindIndexTimer();
        return 0;
    }
    if (message == WM_MENUSELECT)
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_SETFOCUS:
            if (list.Window()) SetFocus(list.Window());
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kFindBarId && lParam) {
                if (HIWORD(wParam) == EN_CHANGE) OnFindTextChanged();
                return 0;
            }
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_FEED_LOADED:
            // Held while a box of the view is open: taking it over changes the rows the box is about.
            if (hold_.takeNow({message, wParam, lParam})) OnFeedLoaded();
            return 0;
        case WM_FEED_UPDATE_STARTED:
            OnUpdateStarted();
            return 0;
        case WM_FEED_UPDATE_DONE:
            // The worker has ended: its progress window goes now, its result when no box is open.
            if (hold_.takeNow({message, wParam, lParam}))
                OnUpdateDone(wParam);
            else
                CloseProgress();
            return 0;
        case WM_FEED_PROGRESS:
        case WM_TIMER:
            OnProgressWaiting();
            return 0;
        case WM_DESTROY:
            // However the window goes, nothing a worker does afterwards may reach this view.
            if (threadParams) host_->LetWorkersGo(threadParams.get());
            break;
        case WM_NCDESTROY:
            list.Attach(nullptr);
            break;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CNewsShellViewImpl::OnCreate() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    RSSObject& feed = *host_->Feed();
    vertical = options::splitterIsVertical(feed);
    splitter_ = std::make_unique<CSplitterWindow>(vertical);
    HWND splitter = splitter_->Create(window_, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    HWND listWindow = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                                      0, 0, 0, 0, splitter, nullptr, module::Instance(), nullptr);
    page.Create(splitter, L"MSHTML:", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE);
    if (!listWindow) return -1;
    list.Attach(listWindow);
    list.Setup(host_->Collection());
    list.SetFilter(&filter_);
    splitter_->SetPane(0, listWindow);
    splitter_->SetPane(1, page.Window());
    splitter_->UpdateLayout();
    splitter_->SetBarEdge(5);
    splitter_->SetPosition(-1);
    stateNotRead = true;

    threadParams = std::make_unique<RSSObjectThreadParams>();
    threadParams->target = this;
    threadParams->feed = &feed;
    threadParams->handler = this;
    schedule_.loadStarted();
    // Without a worker the load ends at once: the items may already be there from an earlier view.
    if (!host_->StartInitialLoad(threadParams.get())) PostMessageW(window_, WM_FEED_LOADED, 0, 0);
    return 0;
}

void CNewsShellViewImpl::OnSize(int width, int height) {
    LayoutChildren(width, height);
    if (stateNotRead) {
        ReadUIState();
        stateNotRead = false;
    }
}

LRESULT CNewsShellViewImpl::OnNotify(NMHDR* header) {
    if (!header) return 0;
    switch (header->code) {
        case LVN_GETDISPINFOW:
            list.OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header), *host_->Feed());
            return 0;
        case LVN_ITEMACTIVATE:
            OnItemActivate(reinterpret_cast<NMITEMACTIVATE*>(header));
            return 0;
        case LVN_ITEMCHANGED:
            OnItemChanged(reinterpret_cast<NMLISTVIEW*>(header));
            return 0;
        case LVN_COLUMNCLICK: {
            auto* click = reinterpret_cast<NMLISTVIEW*>(header);
            if (click->hdr.hwndFrom != list.Window()) return 0;
            messagelist::SortOrder order =
                messagelist::sortAfterHeaderClick(list.ColumnKindOf(click->iSubItem));
            SortKeepingSelection(order.kind, order.ascending);
            return 0;
        }
        case NM_CUSTOMDRAW:
            return list.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
        case NM_RCLICK:
            OnRightClick(header);
            return 0;
        case LVN_KEYDOWN:
            return OnKeyDown(reinterpret_cast<NMLVKEYDOWN*>(header));
        default:
            return DefWindowProcW(window_, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
    }
}

void CNewsShellViewImpl::OnCommand(UINT id) {
    if (OnReadCommand(id)) return;
    if (id == ID_VIEW_UPDATE_FEED) {
        Refresh();
    } else if (id == ID_VIEW_SETTINGS) {
        OnSettings(true);
    } else if (id == ID_VIEW_ABOUT) {
        ModalScope modal(*this);
        CurrentViewPrompts().showAbout();
    } else if (id == ID_VIEW_FIND) {
        OpenFindBar();
    } else if (id == kCommandDelete) {
        OnDeleteItemsFromMenu();
    } else if (id >= kCommandColumnFirst && id < kCommandColumnFirst + 6) {
        int kind = static_cast<int>(id - kCommandColumnFirst);
        if (list.IsColumnHidden(kind))
            list.ShowColumn(kind);
        else
            list.HideColumn(kind);
    } else if (id >= kCommandLabelFirst && id < kCommandLabelFirst + 6) {
        SetLabelOfSelection(static_cast<int>(id - kCommandLabelFirst));
    }
}

STDMETHODIMP CNewsShellViewImpl::SaveViewState() {
    return comCall(u"CNewsShellViewImpl::SaveViewState", [&]() -> HRESULT {
        if (!browser || !list.Window()) return S_OK;
        ComPtr<IStream> stream;
        if (FAILED(browser->GetViewStateStream(STGM_WRITE, stream.put())) || !stream) return S_OK;
        viewstate::ShownLayout shown;
        shown.rememberedRow = options::isOn(*host_->Feed(), options::kRememberPosition)
                                  ? filter_.collectionRow(currentIndex)
                                  : -1;
        for (int kind = 0; kind < viewstate::kColumnKindCount; ++kind) {
            int index = list.ColumnIndexOf(kind);
            shown.hidden[kind] = list.IsColumnHidden(kind) || index < 0;
            if (!shown.hidden[kind])
                shown.widths[kind] =
                    static_cast<int32_t>(SendMessageW(list.Window(), LVM_GETCOLUMNWIDTH, index, 0));
        }
        if (CSplitterWindow* splitter = Splitter()) shown.splitterPosition = splitter->Position();
        shown.kindsInDisplayOrder = list.KindsInDisplayOrder();
        shown.sortColumn = RSSDatabase::sortColumn;
        shown.sortAscending = RSSDatabase::sortAscending;
        viewstate::Record record = viewstate::recordOf(shown);
        trace(u"saved order %d, %d, %d, %d", record.positions[0], record.positions[1], record.positions[2],
              record.positions[3]);
        auto bytes = viewstate::encode(record);
        ULONG written = 0;
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        trace(u" %d bytes written to stream ", static_cast<int>(written));
        return S_OK;
    });
}

void CNewsShellViewImpl::ReadUIState() {
    CSplitterWindow* splitter = Splitter();
    if (!splitter) return;
    ComPtr<IStream> stream;
    uint8_t bytes[viewstate::kRecordSize] = {};
    ULONG read = 0;
    if (browser && SUCCEEDED(browser->GetViewStateStream(STGM_READ, stream.put())) && stream) {
        stream->Read(bytes, sizeof(bytes), &read);
        trace(u" %d bytes readed to stream", static_cast<int>(read));
    }
    auto record = viewstate::decode(std::span<const uint8_t>(bytes, read));
    if (!record) {
        RECT client{};
        GetClientRect(window_, &client);
        splitter->SetPosition(vertical ? client.right / 2 : client.bottom / 2);
        return;
    }
    const viewstate::RestoredLayout layout = viewstate::layoutOf(*record);
    for (int kind = 0; kind < viewstate::kColumnKindCount; ++kind)
        if (int index = list.ColumnIndexOf(kind); index >= 0)
            SendMessageW(list.Window(), LVM_SETCOLUMNWIDTH, index, layout.widths[kind]);
    splitter->SetPosition(layout.splitterPosition);
    trace(u"splitter position: %d", layout.splitterPosition);
    for (int kind = 1; kind < viewstate::kColumnKindCount; ++kind) {
        if (layout.shown[kind])
            list.ShowColumn(kind);
        else
            list.HideColumn(kind);
    }
    if (auto order = viewstate::columnOrder(record->positions, list.ColumnIndexes()))
        SendMessageW(list.Window(), LVM_SETCOLUMNORDERARRAY, order->size(),
                     reinterpret_cast<LPARAM>(order->data()));
    list.SetSort(layout.sortColumn, layout.sortAscending);
    currentIndex = layout.rememberedRow;
}

}  // namespace corvane
