#include "itempage/RichTextPage.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "itempage/ItemRichText.h"
#include "itempage/WebLink.h"
#include "platform/ComCall.h"
#include "platform/ModuleLock.h"
#include "platform/OpenLink.h"

namespace corvane {
namespace {

constexpr wchar_t kPageFace[] = L"Tahoma";
constexpr wchar_t kFixedFace[] = L"Courier New";

CRichTextPage::LinkOpener linkOpener = &openInBrowser;

// The newest rich-edit control the system has. The library stays loaded for the process: its
// windows may outlive any one page, and unloading it under them would crash.
const wchar_t* richEditClass() {
    static const wchar_t* const name = []() -> const wchar_t* {
        if (LoadLibraryW(L"msftedit.dll")) return MSFTEDIT_CLASS;
        if (LoadLibraryW(L"riched20.dll")) return RICHEDIT_CLASSW;
        return nullptr;
    }();
    return name;
}

struct TextStream {
    const std::u16string* text;
    size_t offset;
};

DWORD CALLBACK readText(DWORD_PTR cookie, BYTE* buffer, LONG wanted, LONG* given) {
    auto* stream = reinterpret_cast<TextStream*>(cookie);
    const size_t bytes = (stream->text->size() - stream->offset) * sizeof(char16_t);
    const size_t count = std::min(bytes, static_cast<size_t>(wanted)) & ~size_t{1};
    std::memcpy(buffer, stream->text->data() + stream->offset, count);
    stream->offset += count / sizeof(char16_t);
    *given = static_cast<LONG>(count);
    return 0;
}

void select(HWND window, size_t start, size_t length) {
    SendMessageW(window, EM_SETSEL, start, start + length);
}

CHARFORMAT2W charFormat(const RichTextFormat& format) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_FACE | CFM_SIZE | CFM_COLOR |
                CFM_LINK | CFM_CHARSET;
    if (format.bold) cf.dwEffects |= CFE_BOLD;
    if (format.italic) cf.dwEffects |= CFE_ITALIC;
    if (format.underline) cf.dwEffects |= CFE_UNDERLINE;
    if (format.strikeout) cf.dwEffects |= CFE_STRIKEOUT;
    if (format.color == RichTextFormat::kAutomaticColor) {
        cf.dwEffects |= CFE_AUTOCOLOR;
    } else {
        cf.crTextColor = RGB(format.color >> 16 & 0xFF, format.color >> 8 & 0xFF, format.color & 0xFF);
    }
    cf.yHeight = (format.size ? format.size : kItemRichTextSize) * 20;
    cf.bCharSet = DEFAULT_CHARSET;
    cf.bPitchAndFamily = format.fixedPitch ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS;
    lstrcpynW(cf.szFaceName, format.fixedPitch ? kFixedFace : kPageFace, LF_FACESIZE);
    return cf;
}

PARAFORMAT2 paragraphFormat(const RichTextParagraph& paragraph) {
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT | PFM_ALIGNMENT | PFM_SPACEBEFORE;
    pf.dxStartIndent = paragraph.indent;
    pf.dxRightIndent = paragraph.rightIndent;
    pf.dySpaceBefore = paragraph.spaceBefore;
    pf.wAlignment = paragraph.align == RichTextAlign::Right    ? PFA_RIGHT
                    : paragraph.align == RichTextAlign::Center ? PFA_CENTER
                                                               : PFA_LEFT;
    if (!paragraph.tabStops.empty()) {
        pf.dwMask |= PFM_TABSTOPS;
        pf.cTabCount = static_cast<SHORT>(std::min<size_t>(paragraph.tabStops.size(), MAX_TAB_STOPS));
        std::copy_n(paragraph.tabStops.begin(), pf.cTabCount, pf.rgxTabs);
    }
    return pf;
}

}  // namespace

CRichTextPage::LinkOpener CRichTextPage::SetLinkOpener(LinkOpener opener) {
    const LinkOpener previous = linkOpener;
    linkOpener = opener ? opener : &openInBrowser;
    return previous;
}

std::unique_ptr<CRichTextPage> CRichTextPage::Create(HWND parent) {
    const wchar_t* windowClass = richEditClass();
    if (!windowClass) return nullptr;
    RECT client;
    GetClientRect(parent, &client);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                        ES_AUTOVSCROLL | ES_NOHIDESEL;
    HWND window = CreateWindowExW(0, windowClass, L"", style, 0, 0, client.right, client.bottom, parent,
                                  nullptr, module::Instance(), nullptr);
    if (!window) return nullptr;
    std::unique_ptr<CRichTextPage> page(new (std::nothrow) CRichTextPage(window));
    if (!page) {
        DestroyWindow(window);
        return nullptr;
    }
    SendMessageW(window, EM_SETEVENTMASK, 0, ENM_LINK);
    SendMessageW(window, EM_SETBKGNDCOLOR, 0, RGB(0xFF, 0xFF, 0xFF));
    SendMessageW(window, EM_AUTOURLDETECT, FALSE, 0);
    SendMessageW(window, EM_SETUNDOLIMIT, 0, 0);
    if (!SetWindowSubclass(window, &SubclassProcedure, 0, reinterpret_cast<DWORD_PTR>(page.get())))
        return nullptr;
    return page;
}

CRichTextPage::CRichTextPage(HWND window) : window_(window) {}

CRichTextPage::~CRichTextPage() {
    if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK CRichTextPage::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                  UINT_PTR, DWORD_PTR data) {
    auto* page = reinterpret_cast<CRichTextPage*>(data);
    return windowCall(
        u"CRichTextPage::SubclassProcedure", message,
        [&] {
            if (message == WM_NCDESTROY) {
                RemoveWindowSubclass(window, &SubclassProcedure, 0);
                page->window_ = nullptr;
                return DefSubclassProc(window, message, wParam, lParam);
            }
            if (message == WM_KEYDOWN && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
                // The keyboard's way to the links, where the host passes no keys to the view first.
                if (wParam == VK_TAB && page->SelectNextLink(GetKeyState(VK_SHIFT) < 0)) return LRESULT{0};
                if (wParam == VK_RETURN && page->OpenSelectedLink()) return LRESULT{0};
            }
            // A read-only page would only beep at them.
            if (message == WM_CHAR && (wParam == L'\t' || wParam == L'\r')) return LRESULT{0};
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            // A page to read, not to edit: the control makes its caret again on focus, clicks and
            // keys, and the focused window's caret is the only one the thread has.
            if (GetFocus() == window) DestroyCaret();
            return result;
        },
        [&] { return DefSubclassProc(window, message, wParam, lParam); });
}

void CRichTextPage::Show(const RichText& page) {
    if (!window_) return;
    page_ = page;
    SendMessageW(window_, WM_SETREDRAW, FALSE, 0);

    // Plain text streamed in, so that no item text is ever read as RTF.
    TextStream stream{&page_.text, 0};
    EDITSTREAM editStream{reinterpret_cast<DWORD_PTR>(&stream), 0, &readText};
    SendMessageW(window_, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&editStream));

    CHARFORMAT2W base = charFormat(RichTextFormat{});
    SendMessageW(window_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&base));
    for (const ParagraphRun& run : paragraphRuns(page_.paragraphs)) {
        PARAFORMAT2 pf = paragraphFormat(page_.paragraphs[run.first]);
        select(window_, run.start, run.length);
        SendMessageW(window_, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    }
    for (const RichTextSpan& span : page_.spans) {
        if (span.format == RichTextFormat{}) continue;
        CHARFORMAT2W cf = charFormat(span.format);
        select(window_, span.start, span.length);
        SendMessageW(window_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    }
    for (const RichTextLink& link : page_.links) {
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof(cf);
        cf.dwMask = CFM_LINK;
        cf.dwEffects = CFE_LINK;
        select(window_, link.start, link.length);
        SendMessageW(window_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    }

    select(window_, 0, 0);
    POINT top{0, 0};
    SendMessageW(window_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&top));
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
    if (GetFocus() == window_) DestroyCaret();
}

void CRichTextPage::Resize() {
    if (!window_) return;
    RECT client;
    GetClientRect(GetParent(window_), &client);
    MoveWindow(window_, 0, 0, client.right, client.bottom, TRUE);
}

bool CRichTextPage::SelectNextLink(bool backwards) {
    if (!window_) return false;
    CHARRANGE selection{};
    SendMessageW(window_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const RichTextLink* link =
        page_.linkForTab(static_cast<size_t>(std::max<LONG>(selection.cpMin, 0)),
                         static_cast<size_t>(std::max<LONG>(selection.cpMax, 0)), backwards);
    if (!link) {
        // The next visit starts from the top again.
        select(window_, 0, 0);
        return false;
    }
    // The selection is what shows the focused link: the control keeps it visible (ES_NOHIDESEL).
    select(window_, link->start, link->length);
    SendMessageW(window_, EM_SCROLLCARET, 0, 0);
    if (GetFocus() == window_) DestroyCaret();
    return true;
}

bool CRichTextPage::OpenSelectedLink() {
    if (!window_) return false;
    CHARRANGE selection{};
    SendMessageW(window_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const RichTextLink* link = page_.linkAt(static_cast<size_t>(std::max<LONG>(selection.cpMin, 0)));
    if (!link || selection.cpMax <= selection.cpMin ||
        static_cast<size_t>(selection.cpMax) > link->start + link->length)
        return false;
    // Only web links are ever opened, as for a click.
    if (isWebLink(link->url)) linkOpener(link->url);
    return true;
}

LRESULT CRichTextPage::OnLink(const ENLINK& link) {
    if (link.msg != WM_LBUTTONUP) return 0;
    const RichTextLink* target = page_.linkAt(static_cast<size_t>(link.chrg.cpMin));
    try {
        // Only the links this page made, and only web links among them, are ever opened.
        if (target && isWebLink(target->url)) linkOpener(target->url);
    } catch (...) {
        // Out of memory: the click opens nothing, and nothing leaves the window procedure.
    }
    // The control still ends its mouse capture and selection.
    return 0;
}

}  // namespace corvane
