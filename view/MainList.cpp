#include "view/MainList.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "platform/ModuleLock.h"
#include "platform/Win32Text.h"
#include "view/CellText.h"
#include "view/MessageList.h"

namespace corvane {
namespace {

std::wstring loadText(int id) {
    wchar_t text[100] = L"";
    LoadStringW(module::Instance(), static_cast<UINT>(id), text, 100);
    return text;
}

}  // namespace

CMainList::~CMainList() {
    if (boldFont_) DeleteObject(boldFont_);
}

void CMainList::Setup(RSSDatabase* collection) {
    collection_ = collection;
    if (collection_) collection_->setShownText(&messagelist::shownSortText);
    LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    if (!(style & WS_HSCROLL)) SetWindowLongPtrW(window_, GWL_STYLE, style | WS_HSCROLL);
    DWORD extended = LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT;
    SendMessageW(window_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    for (int kind = 0; kind < 4; ++kind)
        InsertColumn(kind, InitialWidth(kind));
    RebuildColumnIndex();
    CreateUnreadMarks();
    InvalidateRect(window_, nullptr, TRUE);
}

int CMainList::InitialWidth(int kind) {
    HDC dc = GetDC(window_);
    if (!dc) return kColumnKindInfo[kind].initialWidth;
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    int boldDate = 0;
    if (kind == kColumnDate) {
        HFONT bold = BoldFont();
        HGDIOBJ old = bold ? SelectObject(dc, bold) : nullptr;
        // The two longest date forms; digits are equally wide in the fonts lists use.
        for (const wchar_t* widest : {L"0000-00-00 00:00:00", L"00.00.0000 00:00:00"}) {
            SIZE size{};
            if (GetTextExtentPoint32W(dc, widest, static_cast<int>(std::wcslen(widest)), &size))
                boldDate = std::max(boldDate, static_cast<int>(size.cx));
        }
        if (old) SelectObject(dc, old);
    }
    ReleaseDC(window_, dc);
    return initialColumnWidth(kind, dpi, boldDate);
}

void CMainList::CreateUnreadMarks() {
    HDC screen = GetDC(window_);
    if (!screen) return;
    const int size = MulDiv(16, GetDeviceCaps(screen, LOGPIXELSY), 96);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size * 2, size);
    ReleaseDC(window_, screen);
    if (!dc || !bitmap) {
        if (dc) DeleteDC(dc);
        if (bitmap) DeleteObject(bitmap);
        return;
    }
    constexpr COLORREF kTransparent = RGB(255, 0, 255);
    // A blue no label uses, drawn as a shape rather than text colour, so it reads beside any label.
    constexpr COLORREF kDot = RGB(0, 120, 215);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, size * 2, size};
    HBRUSH background = CreateSolidBrush(kTransparent);
    FillRect(dc, &all, background);
    DeleteObject(background);
    HBRUSH dotBrush = CreateSolidBrush(kDot);
    HPEN dotPen = CreatePen(PS_SOLID, 1, kDot);
    HGDIOBJ oldBrush = SelectObject(dc, dotBrush);
    HGDIOBJ oldPen = SelectObject(dc, dotPen);
    const int diameter = std::max(4, size * 7 / 16);
    const int left = (size - diameter) / 2;
    Ellipse(dc, left, left, left + diameter, left + diameter);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBitmap);
    DeleteObject(dotBrush);
    DeleteObject(dotPen);
    DeleteDC(dc);
    // The control owns the list from here and destroys it with itself.
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0);
    if (images && ImageList_AddMasked(images, bitmap, kTransparent) >= 0)
        SendMessageW(window_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    else if (images)
        ImageList_Destroy(images);
    DeleteObject(bitmap);
}

int CMainList::InsertColumn(int kind, int width) {
    std::wstring text = loadText(kColumnKindInfo[kind].headerStringId);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = text.data();
    int index =
        static_cast<int>(SendMessageW(window_, LVM_INSERTCOLUMNW, kind, reinterpret_cast<LPARAM>(&column)));
    if (index < 0) return index;
    columns_.inserted(kind, width, index);
    HWND header = ListView_GetHeader(window_);
    HDITEMW item{};
    item.mask = HDI_LPARAM;
    item.lParam = kind;
    SendMessageW(header, HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
    return index;
}

void CMainList::RebuildColumnIndex() {
    HWND header = ListView_GetHeader(window_);
    int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    std::vector<int> kinds;
    for (int index = 0; index < count; ++index) {
        HDITEMW item{};
        item.mask = HDI_LPARAM;
        SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        kinds.push_back(static_cast<int>(item.lParam));
    }
    columns_.rebuildIndex(kinds);
}

void CMainList::HideColumn(int kind) {
    if (!columns_.canHide(kind)) return;
    if (!SendMessageW(window_, LVM_DELETECOLUMN, columns_.indexOf(kind), 0)) return;
    RebuildColumnIndex();
    columns_.setHidden(kind, true);
}

void CMainList::ShowColumn(int kind) {
    if (!columns_.canShow(kind)) return;
    if (kind >= 1 && kind <= 3) InsertColumn(kind, InitialWidth(kind));
    columns_.setHidden(kind, false);
    RebuildColumnIndex();
    InvalidateRect(window_, nullptr, TRUE);
}

void CMainList::SetSort(int kind, bool ascending) {
    if (collection_) collection_->sort(kind, ascending);
    ShowSortArrow(kind, ascending);
    InvalidateRect(window_, nullptr, TRUE);
}

void CMainList::ShowSortArrow(int kind, bool ascending) {
    HWND header = ListView_GetHeader(window_);
    int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int index = 0; index < count; ++index) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (index == columns_.indexOf(kind)) item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageW(header, HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
    }
}

void CMainList::OnGetDispInfo(NMLVDISPINFOW* info, const RSSObject& feed) {
    if (info->hdr.hwndFrom != window_ || !collection_) return;
    const int row = filter_ ? filter_->collectionRow(info->item.iItem) : info->item.iItem;
    if ((info->item.mask & LVIF_IMAGE) && info->item.iSubItem == 0)
        info->item.iImage = messagelist::rowIsUnread(feed, *collection_, row) ? kImageUnread : kImageRead;
    if (!(info->item.mask & LVIF_TEXT)) return;
    int kind = ColumnKindOf(info->item.iSubItem);
    // Only as much text as the buffer takes: a long description's markup is not converted in full.
    const size_t limit = static_cast<size_t>(std::max(info->item.cchTextMax, 0));
    std::u16string text = messagelist::cellText(feed, *collection_, row, kind, limit);
    messagelist::copyCellText(text, reinterpret_cast<char16_t*>(info->item.pszText), info->item.cchTextMax,
                              messagelist::cellIsWhole(feed.isConfigured(), kind));
}

HFONT CMainList::BoldFont() {
    auto font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    if (boldFont_ && font == boldFontSource_) return boldFont_;
    LOGFONTW description{};
    if (!GetObjectW(font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT), sizeof(description),
                    &description))
        return nullptr;
    description.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&description);
    if (!bold) return nullptr;
    if (boldFont_) DeleteObject(boldFont_);
    boldFont_ = bold;
    boldFontSource_ = font;
    return boldFont_;
}

LRESULT CMainList::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    if (draw->nmcd.hdr.hwndFrom != window_) return CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || !collection_) return CDRF_DODEFAULT;
    const int row = static_cast<int>(draw->nmcd.dwItemSpec);
    const RSSItem* item = collection_->itemAt(filter_ ? filter_->collectionRow(row) : row);
    if (!item) return CDRF_DODEFAULT;
    messagelist::LabelStyle style = messagelist::labelStyle(item->label);
    if (style.coloured) draw->clrText = RGB(style.red, style.green, style.blue);
    if (style.bold)
        if (HFONT bold = BoldFont()) SelectObject(draw->nmcd.hdc, bold);
    return CDRF_NEWFONT;
}

void CMainList::SetRowCount(size_t rows) {
    SendMessageW(window_, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
}

int CMainList::RowCount() const {
    return window_ ? static_cast<int>(SendMessageW(window_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::vector<int> CMainList::SelectedRows() const {
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(SendMessageW(window_, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0)
        rows.push_back(row);
    return rows;
}

void CMainList::SelectRow(int row) {
    SendMessageW(window_, LVM_ENSUREVISIBLE, row, FALSE);
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(window_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

void CMainList::RedrawRows(const std::vector<int>& rows) {
    if (rows.empty()) return;
    auto [low, high] = std::minmax_element(rows.begin(), rows.end());
    SendMessageW(window_, LVM_REDRAWITEMS, *low, *high);
    UpdateWindow(window_);
}

std::vector<int> CMainList::KindsInDisplayOrder() const {
    HWND header = ListView_GetHeader(window_);
    int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    std::vector<int> kinds;
    if (count < 1 || count > 4) return kinds;
    std::vector<int> order(count);
    if (!SendMessageW(window_, LVM_GETCOLUMNORDERARRAY, count, reinterpret_cast<LPARAM>(order.data())))
        return kinds;
    for (int index : order)
        kinds.push_back(ColumnKindOf(index));
    return kinds;
}

}  // namespace corvane
