// The month calendar that drops down under a date field: a popup owned by the
// field's dialog. A day clicked, or the day chosen with the arrow keys and Enter,
// goes to `picked`; Escape or a click elsewhere closes it with nothing picked.
#pragma once

#include <windows.h>

#include <functional>

namespace kel::win32 {

class CalendarDropDown {
public:
    using Picked = std::function<void(const SYSTEMTIME& day)>;

    CalendarDropDown() = default;
    ~CalendarDropDown() { Close(); }
    CalendarDropDown(const CalendarDropDown&) = delete;
    CalendarDropDown& operator=(const CalendarDropDown&) = delete;

    // Opens under `field` on `day`'s month (today's when wYear is 0).
    bool Open(HWND field, const SYSTEMTIME& day, Picked picked);
    void Close();
    bool IsOpen() const { return m_host != nullptr; }
    // The window is the calendar or a part of it.
    bool Holds(HWND window) const { return m_host && window && (window == m_host || IsChild(m_host, window)); }

private:
    static LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
    static LRESULT CALLBACK CalendarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data);
    void Pick(const SYSTEMTIME& day);

    HWND m_field = nullptr;
    HWND m_host = nullptr;
    HWND m_calendar = nullptr;
    Picked m_picked;
};

}  // namespace kel::win32
