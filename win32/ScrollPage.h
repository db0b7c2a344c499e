// The part of a dialog that scrolls when its form is larger than the screen's free
// area: a child window that holds the form's controls (the bottom row of buttons
// stays outside, in view), scrolls them with its bars and the wheel, brings a
// control into view, and hands the controls' notices to the dialog as if they had
// been sent to it.
#pragma once

#include <windows.h>

namespace kel::win32 {

class ScrollPage {
public:
    // A page of `view` (client coordinates of `dialog`) over a form of `content`.
    ScrollPage(HWND dialog, const RECT& view, SIZE content);
    ~ScrollPage();
    ScrollPage(const ScrollPage&) = delete;
    ScrollPage& operator=(const ScrollPage&) = delete;

    HWND Handle() const { return m_hwnd; }
    // Scrolls so that `control` (a window on the page) lies in view, as far as it fits.
    void BringIntoView(HWND control);
    void ScrollTo(int x, int y);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Scroll(int bar, int code);
    void UpdateBars();

    HWND m_hwnd = nullptr;
    HWND m_dialog;
    SIZE m_content;
    POINT m_at{};  // the form's point at the page's top left corner
};

// The page's window class goes with the driver (the library may be unloaded).
void UnregisterScrollPageClass();

}  // namespace kel::win32
