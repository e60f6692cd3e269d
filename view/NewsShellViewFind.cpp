// The news view's find bar: an edit control above the list whose words filter the list's rows, and
// the keys that move between the view's panes.

#include "platform/ModuleLock.h"
#include "resources/ResourceIds.h"
#include "view/NewsShellViewImpl.h"

namespace corvane {
namespace {

constexpr UINT_PTR kFindBarSubclass = 1;
// Each slice of indexing stays well below what a person notices as a stalled window.
constexpr std::chrono::milliseconds kFindIndexSlice{25};

int findBarHeight(HWND bar) {
    HDC dc = GetDC(bar);
    if (!dc) return 0;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(bar, dc);
    // The text, the edit's client edge and a little air above and below it.
    return metrics.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE) + 6;
}

}  // namespace

bool CNewsShellViewImpl::FindBarShown() const {
    return findBar_ && IsWindowVisible(findBar_);
}

void CNewsShellViewImpl::LayoutChildren(int width, int height) {
    int top = 0;
    if (FindBarShown()) {
        top = std::min(findBarHeight(findBar_), height);
        MoveWindow(findBar_, 0, 0, width, top, TRUE);
    }
    if (CSplitterWindow* splitter = Splitter(); splitter && splitter->Window())
        MoveWindow(splitter->Window(), 0, top, width, height - top, TRUE);
}

void CNewsShellViewImpl::OpenFindBar() {
    if (!window_ || !list.Window() || !host_->Feed()->isConfigured()) return;
    if (!findBar_) {
        findBar_ = CreateWindowExW(
            WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFindBarId)), module::Instance(), nullptr);
        if (!findBar_) return;
        SendMessageW(findBar_, WM_SETFONT, SendMessageW(list.Window(), WM_GETFONT, 0, 0), FALSE);
        SendMessageW(findBar_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Find messages"));
        SetWindowSubclass(findBar_, &FindBarProcedure, kFindBarSubclass, reinterpret_cast<DWORD_PTR>(this));
    }
    if (!FindBarShown()) {
        selectionBeforeFind_ = SelectedItems();
        currentBeforeFind_ = ItemOfListRow(currentIndex);
        ShowWindow(findBar_, SW_SHOW);
        RECT client{};
        GetClientRect(window_, &client);
        LayoutChildren(client.right, client.bottom);
    }
    SetFocus(findBar_);
    SendMessageW(findBar_, EM_SETSEL, 0, -1);
}

void CNewsShellViewImpl::CloseFindBar() {
    if (!FindBarShown()) return;
    const bool hadFocus = GetFocus() == findBar_;
    // Hidden first: emptying the text then filters nothing.
    ShowWindow(findBar_, SW_HIDE);
    SetWindowTextW(findBar_, L"");
    filter_.clear();
    RECT client{};
    GetClientRect(window_, &client);
    LayoutChildren(client.right, client.bottom);
    list.SetRowCount(host_->Collection()->count());
    if (!currentBeforeFind_) currentIndex = -1;
    SelectItems(selectionBeforeFind_, currentBeforeFind_);
    if (currentIndex >= 0) {
        SendMessageW(list.Window(), LVM_ENSUREVISIBLE, currentIndex, FALSE);
        if (RSSItem* item = ItemOfListRow(currentIndex)) page.ShowItem(*item);
    }
    selectionBeforeFind_.clear();
    currentBeforeFind_ = nullptr;
    UpdateStatusText();
    if (hadFocus) SetFocus(list.Window());
}

void CNewsShellViewImpl::OnFindTextChanged() {
    if (!FindBarShown()) return;
    int length = GetWindowTextLengthW(findBar_);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(findBar_, text.data(), length + 1)));
    // The selection stays on its messages while they match.
    std::vector<RSSItem*> selected = SelectedItems();
    RSSItem* current = ItemOfListRow(currentIndex);
    RSSDatabase& collection = *host_->Collection();
    filter_.setQuery(std::u16string(text.begin(), text.end()), collection);
    list.SetRowCount(filter_.rowCount(collection));
    if (!current) currentIndex = -1;
    SelectItems(selected, current);
    // The page must not go on showing a message the filter hid, nor mark it read in a moment.
    if (current && currentIndex < 0) {
        KillTimer(window_, kMarkReadTimer);
        shownId_.clear();
        page.ShowNothing();
    }
    UpdateStatusText();
}

void CNewsShellViewImpl::ScheduleFindIndexing() {
    if (window_ && host_->Feed()->isConfigured())
        SetTimer(window_, kFindIndexTimer, USER_TIMER_MINIMUM, nullptr);
}

void CNewsShellViewImpl::OnFindIndexTimer() {
    if (!host_->Feed()->isConfigured() || filter_.prepare(*host_->Collection(), kFindIndexSlice))
        KillTimer(window_, kFindIndexTimer);
}

bool CNewsShellViewImpl::TranslateFindKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool other = GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0;
    if (message.wParam == 'F' && control && !other) {
        OpenFindBar();
        return true;
    }
    if (message.wParam == VK_ESCAPE && !control && FindBarShown() &&
        (message.hwnd == findBar_ || message.hwnd == list.Window())) {
        CloseFindBar();
        return true;
    }
    if (message.wParam == VK_TAB && !control && GetKeyState(VK_MENU) >= 0 &&
        (message.hwnd == findBar_ || message.hwnd == list.Window())) {
        MoveFocus(message.hwnd, GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    HWND pageWindow = page.Window();
    const bool inPage = pageWindow && (message.hwnd == pageWindow || IsChild(pageWindow, message.hwnd));
    if (message.wParam == VK_TAB && !control && GetKeyState(VK_MENU) >= 0 && inPage) {
        // Through the page's links first, then on to the next pane.
        const bool backwards = GetKeyState(VK_SHIFT) < 0;
        if (!page.SelectNextLink(backwards)) MoveFocus(pageWindow, backwards);
        return true;
    }
    if (message.wParam == VK_RETURN && !control && !other && inPage) return page.OpenSelectedLink();
    return false;
}

void CNewsShellViewImpl::MoveFocus(HWND from, bool backwards) {
    std::vector<HWND> order{list.Window()};
    if (FindBarShown()) order.insert(order.begin(), findBar_);
    if (page.Window()) order.push_back(page.Window());
    auto at = std::find(order.begin(), order.end(), from);
    size_t index = at == order.end() ? 0 : static_cast<size_t>(at - order.begin());
    index = backwards ? (index + order.size() - 1) % order.size() : (index + 1) % order.size();
    SetFocus(order[index]);
}

LRESULT CALLBACK CNewsShellViewImpl::FindBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                      UINT_PTR, DWORD_PTR data) {
    auto* view = reinterpret_cast<CNewsShellViewImpl*>(data);
    try {
        switch (message) {
            case WM_KEYDOWN: {
                MSG asMessage{window, message, wParam, lParam, 0, {}};
                if (view->TranslateFindKey(asMessage)) return 0;
                if ((wParam == VK_RETURN || wParam == VK_DOWN) && view->list.Window()) {
                    // On to the matches: the first one unless one is selected already.
                    if (view->list.SelectedRows().empty() && view->list.RowCount() > 0) view->ShowRow(0);
                    SetFocus(view->list.Window());
                    return 0;
                }
                break;
            }
            case WM_CHAR:
                // Handled on key down; the edit would only beep at them.
                if (wParam == VK_ESCAPE || wParam == VK_RETURN || wParam == VK_TAB) return 0;
                break;
            case WM_NCDESTROY:
                RemoveWindowSubclass(window, &FindBarProcedure, kFindBarSubclass);
                if (view->findBar_ == window) view->findBar_ = nullptr;
                break;
            default:
                break;
        }
    } catch (...) {
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace corvane
