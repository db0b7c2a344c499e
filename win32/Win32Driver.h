// The native Windows driver: shows every dialog of the window layer as a system
// dialog and runs its modal loop (the owner disabled meanwhile, nested loops for
// nested dialogs), shows message boxes, the wait cursor, runs the timers of the
// user-interface thread and finds other programs' windows by title. Make it on the
// thread that runs the dialogs; install it with win::InstallDriver.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "host/win/UiDriver.h"

namespace kel::win32 {

class DialogWindow;

class Win32Driver : public win::UiDriver {
public:
    Win32Driver();
    ~Win32Driver() override;

    // Called once a dialog is on the screen (a test's script, a picture).
    using ShownHook = void (*)(CDialog& dialog, HWND window, void* context);
    void SetDialogShownHook(ShownHook hook, void* context) {
        m_shownHook = hook;
        m_shownContext = context;
    }
    // The innermost open dialog's window, or null.
    HWND TopDialog() const;
    // Its model, or null.
    CDialog* TopModel() const;
    // Whether `window` is one of the open dialogs' windows.
    bool IsDialogWindow(HWND window) const;
    // The window that shows a control of an open dialog, or null.
    HWND ControlHandle(const CWnd& control) const;
    // Scrolls the open dialog that shows `control` so that the control is in view
    // (only a form larger than the screen's free area scrolls); back to the top.
    void BringIntoView(const CWnd& control);
    void ScrollToTop(HWND dialog);
    HFONT DialogFont() const { return m_font; }
    int WaitCursorDepth() const { return m_waitDepth; }

    // win::UiDriver
    void RunModalLoop(CDialog& dialog) override;
    int ShowMessageBox(const win::MessageBoxRequest& request) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs) override;
    void StopTimer(CWnd& wnd, UINT_PTR id) override;
    void WindowDestroyed(CWnd& wnd) override;
    win::WindowHandle FindTopLevelWindow(const std::string& title) override;
    LRESULT SendToWindow(win::WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam) override;
    win::DesktopMetrics GetDesktopMetrics() override;
    // The system's print dialog, then the list on the printer it chose.
    bool PrintTable(const CWnd* owner, const win::PrintJob& job) override;
    std::unique_ptr<win::PopupSurface> CreatePopupSurface(const win::PopupLook& look, win::PopupInput input) override;
    // The system's default sound (a field that takes no more).
    void Beep() override { MessageBeep(MB_OK); }

private:
    static LRESULT CALLBACK TimerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND OwnerForNewWindow() const;

    HFONT m_font = nullptr;
    HWND m_timerWindow = nullptr;
    std::vector<DialogWindow*> m_modals;
    std::map<UINT_PTR, std::pair<CWnd*, UINT_PTR>> m_timers;  // system id -> window, its id
    UINT_PTR m_nextTimer = 1;
    int m_waitDepth = 0;
    ShownHook m_shownHook = nullptr;
    void* m_shownContext = nullptr;
};

}  // namespace kel::win32
