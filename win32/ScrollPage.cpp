#include "win32/ScrollPage.h"

#include <algorithm>

#include "win32/Library.h"

namespace kel::win32 {
namespace {

constexpr wchar_t kPageClass[] = L"KelmorScrollPage";
constexpr int kLine = 24;  // pixels a click on a bar's arrow scrolls

void RegisterPageClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window: the page's procedure needs its object
    wc.hInstance = ThisLibrary();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPageClass;
    RegisterClassW(&wc);  // fails harmlessly when it is there already
}

}  // namespace

void UnregisterScrollPageClass() { UnregisterClassW(kPageClass, ThisLibrary()); }

ScrollPage::ScrollPage(HWND dialog, const RECT& view, SIZE content) : m_dialog(dialog), m_content(content) {
    RegisterPageClass();
    // A control parent, so that the dialog's Tab and mnemonics reach the controls on
    // it; not clipping them, so that a group box shows the page's face inside.
    m_hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                             view.left, view.top, view.right - view.left, view.bottom - view.top, dialog, nullptr,
                             ThisLibrary(), nullptr);
    if (!m_hwnd) return;
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ScrollPage::Proc));
    UpdateBars();
}

ScrollPage::~ScrollPage() {
    if (m_hwnd) SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);  // the dialog destroys the window with itself
}

// Bars only where the form is larger than the page, their pages the page's size.
void ScrollPage::UpdateBars() {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int bars[] = {SB_HORZ, SB_VERT};
    for (int bar : bars) {
        const bool vertical = bar == SB_VERT;
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = (vertical ? m_content.cy : m_content.cx) - 1;
        info.nPage = static_cast<UINT>(vertical ? client.bottom : client.right);
        info.nPos = vertical ? m_at.y : m_at.x;
        SetScrollInfo(m_hwnd, bar, &info, TRUE);
    }
}

void ScrollPage::ScrollTo(int x, int y) {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    x = std::clamp(x, 0, std::max(0, static_cast<int>(m_content.cx - client.right)));
    y = std::clamp(y, 0, std::max(0, static_cast<int>(m_content.cy - client.bottom)));
    if (x == m_at.x && y == m_at.y) return;
    ScrollWindowEx(m_hwnd, m_at.x - x, m_at.y - y, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    m_at = {x, y};
    UpdateBars();
    UpdateWindow(m_hwnd);
}

void ScrollPage::BringIntoView(HWND control) {
    if (!m_hwnd || !IsChild(m_hwnd, control)) return;
    // The page's own child that holds it (a combo's edit, a list's header are parts).
    HWND child = control;
    while (GetParent(child) != m_hwnd) child = GetParent(child);
    RECT r{}, client{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
    GetClientRect(m_hwnd, &client);
    int dx = 0, dy = 0;
    if (r.bottom > client.bottom) dy = r.bottom - client.bottom + 6;
    if (r.top - dy < 0) dy = r.top - 6;  // the top of a control taller than the page
    if (r.right > client.right) dx = r.right - client.right + 6;
    if (r.left - dx < 0) dx = r.left - 6;
    ScrollTo(m_at.x + dx, m_at.y + dy);
}

void ScrollPage::Scroll(int bar, int code) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(m_hwnd, bar, &info);
    int pos = info.nPos;
    switch (code) {
        case SB_LINEUP: pos -= kLine; break;
        case SB_LINEDOWN: pos += kLine; break;
        case SB_PAGEUP: pos -= static_cast<int>(info.nPage); break;
        case SB_PAGEDOWN: pos += static_cast<int>(info.nPage); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = info.nTrackPos; break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = info.nMax; break;
        default: return;
    }
    if (bar == SB_VERT)
        ScrollTo(m_at.x, pos);
    else
        ScrollTo(pos, m_at.y);
}

LRESULT CALLBACK ScrollPage::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ScrollPage*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_VSCROLL: self->Scroll(SB_VERT, LOWORD(wParam)); return 0;
        case WM_HSCROLL:
            if (lParam) break;  // a control's own bar (none here), not the page's
            self->Scroll(SB_HORZ, LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL: {
            const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            self->ScrollTo(self->m_at.x, self->m_at.y - notches * 3 * kLine);
            return 0;
        }
        case WM_SIZE: self->UpdateBars(); return 0;
        // The controls' notices and colour questions are the dialog's.
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
        case WM_DRAWITEM:
        case WM_MEASUREITEM: return SendMessageW(self->m_dialog, message, wParam, lParam);
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kel::win32
