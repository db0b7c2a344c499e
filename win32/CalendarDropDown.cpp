#include "win32/CalendarDropDown.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/Subclass.h"

namespace kel::win32 {

bool CalendarDropDown::Open(HWND field, const SYSTEMTIME& day, Picked picked) {
    Close();
    m_field = field;
    m_picked = std::move(picked);
    // A plain popup of the system's own class holds the calendar, so that its
    // notices come here and no class of ours outlives the library.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_host = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_BORDER, 0, 0, 0, 0, GetParent(field),
                             nullptr, instance, nullptr);
    if (!m_host) return false;
    SetSubclass(m_host, &HostProc, 1, reinterpret_cast<DWORD_PTR>(this));
    m_calendar = CreateWindowExW(0, MONTHCAL_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, m_host,
                                 nullptr, instance, nullptr);
    if (!m_calendar) {
        Close();
        return false;
    }
    SetSubclass(m_calendar, &CalendarProc, 1, reinterpret_cast<DWORD_PTR>(this));
    SendMessageW(m_calendar, WM_SETFONT, SendMessageW(field, WM_GETFONT, 0, 0), FALSE);
    if (day.wYear) MonthCal_SetCurSel(m_calendar, &day);
    RECT need{};
    MonthCal_GetMinReqRect(m_calendar, &need);
    const int width = std::max<int>(need.right - need.left, MonthCal_GetMaxTodayWidth(m_calendar));
    const int height = need.bottom - need.top;
    MoveWindow(m_calendar, 0, 0, width, height, FALSE);
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    // Under the field, or above it where the work area ends first.
    RECT at{}, work{};
    GetWindowRect(field, &at);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = std::clamp<int>(at.left, work.left, std::max<int>(work.left, work.right - w));
    const int y = at.bottom + h <= work.bottom ? at.bottom : std::max<int>(work.top, at.top - h);
    SetWindowPos(m_host, HWND_TOP, x, y, w, h, SWP_SHOWWINDOW);
    SetFocus(m_calendar);
    return true;
}

void CalendarDropDown::Close() {
    if (!m_host) return;
    HWND host = m_host;
    const bool hadFocus = Holds(GetFocus());
    m_host = m_calendar = nullptr;
    DestroyWindow(host);
    if (hadFocus && IsWindow(m_field)) SetFocus(m_field);
}

void CalendarDropDown::Pick(const SYSTEMTIME& day) {
    // The calendar is still inside its own click: it goes away once that is over.
    ShowWindow(m_host, SW_HIDE);
    PostMessageW(m_host, WM_CLOSE, 0, 0);
    SetFocus(m_field);
    if (Picked picked = m_picked) picked(day);
}

LRESULT CALLBACK CalendarDropDown::HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
    auto* self = reinterpret_cast<CalendarDropDown*>(data);
    switch (message) {
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom == self->m_calendar && header->code == MCN_SELECT && IsWindowVisible(hwnd))
                self->Pick(reinterpret_cast<NMSELCHANGE*>(lParam)->stSelStart);
            return 0;
        }
        case WM_ACTIVATE:
            // A click elsewhere: closed once the activation has moved on.
            if (LOWORD(wParam) == WA_INACTIVE) PostMessageW(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_CLOSE:
            if (self->m_host == hwnd) self->Close();
            return 0;
        case WM_NCDESTROY: RemoveSubclass(hwnd, &HostProc, 1); break;
        default: break;
    }
    return DefSubclass(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CalendarDropDown::CalendarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR data) {
    auto* self = reinterpret_cast<CalendarDropDown*>(data);
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        PostMessageW(self->m_host, WM_CLOSE, 0, 0);
        return 0;
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        SYSTEMTIME day{};
        if (MonthCal_GetCurSel(hwnd, &day)) self->Pick(day);
        return 0;
    }
    if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    if (message == WM_NCDESTROY) RemoveSubclass(hwnd, &CalendarProc, 1);
    return DefSubclass(hwnd, message, wParam, lParam);
}

}  // namespace kel::win32
