// The seam between the window layer and whatever shows it: the headless driver of
// the tests, or the Qt driver of a real desktop. One driver is installed per process.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/win/PopupSurface.h"
#include "host/win/WinTypes.h"

class CDialog;
class CWnd;

namespace win {

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    UINT type = MB_OK;  // buttons | icon | default button, as MB_ flags

    UINT Buttons() const { return type & MB_TYPEMASK; }
    UINT Icon() const { return type & MB_ICONMASK; }
    // 0-based index of the default button.
    int DefaultIndex() const { return static_cast<int>((type & MB_DEFMASK) >> 8); }
    // The answers of the box's buttons in their order (IDOK, IDCANCEL, ...).
    std::vector<int> Answers() const;
    // The answer the default button gives (IDOK, IDYES, ...); a default past the last
    // button is the last.
    int DefaultAnswer() const;
};

// A list to print: a title, the column headers and the rows as shown.
struct PrintJob {
    std::string title;
    std::vector<std::string> headers;
    std::vector<std::vector<std::string>> rows;
};

// Identifies a top-level window of another application (found by title).
using WindowHandle = std::uintptr_t;

class UiDriver {
public:
    virtual ~UiDriver() = default;

    // Runs the dialog modally: its controls exist and OnInitDialog has run when this
    // is called; returns when the dialog has ended (CDialog::IsEnded).
    virtual void RunModalLoop(CDialog& dialog) = 0;
    // Shows a message box and returns the button pressed.
    virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // Timers of windows on the driver's thread.
    virtual void StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs) = 0;
    virtual void StopTimer(CWnd& wnd, UINT_PTR id) = 0;
    // Forgets everything about a window that is going away (timers, views).
    virtual void WindowDestroyed(CWnd& wnd) = 0;
    // Top-level windows of other programs, by exact title; 0 when none.
    virtual WindowHandle FindTopLevelWindow(const std::string& title) = 0;
    virtual LRESULT SendToWindow(WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // Prints a list: the person sees a preview and chooses a printer (a PDF file
    // too). True when it was printed. Without a display there is no printer: false.
    virtual bool PrintTable(const CWnd* owner, const PrintJob& job) { return false; }

    // The desktop: screen and work area. Callable from any thread. Without a real
    // desktop: a 1024 x 768 screen with a 40-pixel task bar at the bottom.
    virtual DesktopMetrics GetDesktopMetrics() { return {{0, 0, 1024, 768}, {0, 0, 1024, 728}}; }
    // Makes a notice window showing `look`, not yet placed; the person's clicks and
    // hovering arrive through `input`. Callable from any thread. Null when the
    // driver shows none (a headless run).
    virtual std::unique_ptr<PopupSurface> CreatePopupSurface(const PopupLook& look, PopupInput input) {
        return nullptr;
    }
    // Tells the person that a key was not taken (a field is full): the system's beep.
    virtual void Beep() {}
};

// The installed driver; a headless driver that answers every message box with its
// default button is used until one is installed.
UiDriver& Driver();
// The same driver, kept alive for as long as the caller holds it: for threads other
// than the user-interface thread, which may install another driver meanwhile.
std::shared_ptr<UiDriver> SharedDriver();
void InstallDriver(std::shared_ptr<UiDriver> driver);
std::shared_ptr<UiDriver> InstalledDriver();

// Timers run at no less than this period, as on the original platform.
inline constexpr UINT kMinTimerPeriodMs = 10;
inline UINT EffectiveTimerPeriod(UINT requested) {
    return requested < kMinTimerPeriodMs ? kMinTimerPeriodMs : requested;
}

}  // namespace win
