#include "view/SplitterWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "platform/ComCall.h"
#include "platform/ModuleLock.h"
#include "platform/WindowClass.h"

namespace corvane {
namespace {

constexpr wchar_t kClassName[] = L"KtCorvaneSplitter";

bool fullWindowDrag() {
    BOOL on = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0);
    return on != FALSE;
}

}  // namespace

CSplitterWindow::~CSplitterWindow() {
    if (window_ && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

HWND CSplitterWindow::Create(HWND parent, DWORD style) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = module::Instance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!registerWindowClass(windowClass)) return nullptr;
    layout_.setMetrics(GetSystemMetrics(vertical_ ? SM_CXSIZEFRAME : SM_CYSIZEFRAME),
                       GetSystemMetrics(vertical_ ? SM_CXEDGE : SM_CYEDGE));
    window_ = CreateWindowExW(0, kClassName, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, parent, nullptr, module::Instance(), this);
    return window_;
}

void CSplitterWindow::SetPane(int pane, HWND window) {
    if (pane == 0 || pane == 1) panes_[pane] = window;
}

void CSplitterWindow::SetBarEdge(int edge) {
    layout_.setBarEdge(edge);
    UpdateLayout();
}

void CSplitterWindow::SetPosition(int position) {
    layout_.setPosition(position);
    UpdateLayout();
}

int CSplitterWindow::Extent() const {
    RECT client{};
    if (window_) GetClientRect(window_, &client);
    return vertical_ ? client.right : client.bottom;
}

void CSplitterWindow::UpdateLayout() {
    if (!window_) return;
    RECT client{};
    GetClientRect(window_, &client);
    int first = layout_.position();
    int second = layout_.secondPaneStart();
    if (vertical_) {
        if (panes_[0]) MoveWindow(panes_[0], 0, 0, first, client.bottom, TRUE);
        if (panes_[1])
            MoveWindow(panes_[1], second, 0, std::max(0L, client.right - second), client.bottom, TRUE);
    } else {
        if (panes_[0]) MoveWindow(panes_[0], 0, 0, client.right, first, TRUE);
        if (panes_[1])
            MoveWindow(panes_[1], 0, second, client.right, std::max(0L, client.bottom - second), TRUE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

int CSplitterWindow::AlongBar(LPARAM point) const {
    return vertical_ ? GET_X_LPARAM(point) : GET_Y_LPARAM(point);
}

// An inverted outline of the bar; drawing it twice at one place removes it.
void CSplitterWindow::DrawGhost(int position) {
    HDC dc = GetDC(window_);
    RECT client{};
    GetClientRect(window_, &client);
    int thickness = layout_.barThickness();
    if (vertical_)
        PatBlt(dc, position, 0, thickness, client.bottom, DSTINVERT);
    else
        PatBlt(dc, 0, position, client.right, thickness, DSTINVERT);
    ReleaseDC(window_, dc);
}

LRESULT CALLBACK CSplitterWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return callWindowObject(u"CSplitterWindow::Procedure", &CSplitterWindow::window_,
                            &CSplitterWindow::Handle, window, message, wParam, lParam);
}

LRESULT CSplitterWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            layout_.resize(vertical_ ? LOWORD(lParam) : HIWORD(lParam));
            UpdateLayout();
            return 0;
        case WM_SETCURSOR: {
            POINT cursor;
            GetCursorPos(&cursor);
            ScreenToClient(window_, &cursor);
            if (reinterpret_cast<HWND>(wParam) == window_ &&
                (dragging_ || layout_.onBar(vertical_ ? cursor.x : cursor.y))) {
                SetCursor(LoadCursorW(nullptr, vertical_ ? IDC_SIZEWE : IDC_SIZENS));
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN:
            if (!layout_.onBar(AlongBar(lParam))) break;
            dragging_ = true;
            SetCapture(window_);
            if (!fullWindowDrag()) DrawGhost(ghost_ = layout_.position());
            return 0;
        case WM_MOUSEMOVE:
            if (!dragging_) break;
            if (fullWindowDrag()) {
                SetPosition(AlongBar(lParam));
            } else {
                SplitterLayout probe = layout_;
                probe.setPosition(AlongBar(lParam));
                DrawGhost(ghost_);
                DrawGhost(ghost_ = probe.position());
            }
            return 0;
        case WM_LBUTTONUP:
            if (!dragging_) break;
            if (ghost_ >= 0) DrawGhost(ghost_);
            ghost_ = -1;
            dragging_ = false;
            ReleaseCapture();
            SetPosition(AlongBar(lParam));
            return 0;
        case WM_CAPTURECHANGED:
            if (dragging_ && ghost_ >= 0) DrawGhost(ghost_);
            ghost_ = -1;
            dragging_ = false;
            return 0;
        case WM_NOTIFY:
        case WM_COMMAND:
            // The view handles its panes' notifications and commands.
            return SendMessageW(GetParent(window_), message, wParam, lParam);
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace corvane
